"""Drive a Vardo layout from Python through the outside-program interface.

A thin layer over the C library libvardo_sdk (ctypes). Start Vardo with -s,
then:

    import vardo_sdk
    with vardo_sdk.Connection() as vardo:
        vardo.open()                       # command 101
        vardo.action(vardo_sdk.FORWARD)    # command 1
        pos = vardo.wait_for_place(320, 100, radius=30, timeout=60)
        vardo.action(vardo_sdk.STOP)

The library is looked up in VARDO_SDK_LIB (a path), then by the system's
library search (libvardo_sdk.so.1).
"""

import ctypes
import ctypes.util
import os
import time

# Results of the library.
OK = 0
FAILED = -1
BAD_ARGUMENT = -2
NO_SLOT = -3
NO_MAPPING = -4
TIMEOUT = -6
NOT_IN_USE = -7
ABANDONED = -8
LOCK = -1
NO_LOCK = 0

# Command codes.
ACTION = 1
PLAY_REPEATING = 2
PREPARE_SOUND = 3
PLAY_OR_STOP = 8
RELAY = 10
SPEED = 11
RUN_PROGRAM_FILE = 12
TURNTABLE = 13
SENSOR_WAIT = 14
CONTROL = 100
OPEN = 101
ATTACH_WINDOW = 102

# Controller actions (command 1).
STOP = 0
FORWARD = 1
BACKWARD = 2

# Controller state bits (Status record).
RUNNING = 2
BACKWARD_BIT = 4
POINT_BITS = (8, 16, 32, 64)
AUTO_LAMP = 128


class VardoSdkError(Exception):
    """A call of the library failed; `code` is its negative result."""

    def __init__(self, what, code):
        super().__init__("%s failed (%d)" % (what, code))
        self.code = code


class _Position(ctypes.Structure):
    _fields_ = [("flag", ctypes.c_uint8), ("unused", ctypes.c_uint8 * 3),
                ("x", ctypes.c_int16), ("y", ctypes.c_int16),
                ("laps", ctypes.c_int16), ("angle", ctypes.c_int16)]


class _Status(ctypes.Structure):
    _fields_ = [("flag", ctypes.c_uint8), ("unused", ctypes.c_uint8 * 3),
                ("state", ctypes.c_int16), ("unused2", ctypes.c_uint8 * 6)]


class Entry(ctypes.Structure):
    """One registry entry as stored (76 bytes)."""
    _fields_ = [("mapping_name", ctypes.c_char * 32), ("mutex_name", ctypes.c_char * 32),
                ("has_mutex", ctypes.c_int16), ("in_use", ctypes.c_int16),
                ("record_size", ctypes.c_int32), ("record_count", ctypes.c_int32)]


def _load():
    path = os.environ.get("VARDO_SDK_LIB") or ctypes.util.find_library("vardo_sdk") \
        or "libvardo_sdk.so.1"
    lib = ctypes.CDLL(path)
    i16, i32, vp, cp = ctypes.c_int16, ctypes.c_int32, ctypes.c_void_p, ctypes.c_char_p
    signatures = {
        "vardo_registry_init": (i16, []),
        "vardo_create_record_set": (i16, [cp, cp, i32, i32]),
        "vardo_open_record_set": (i16, [cp]),
        "vardo_close_record_set": (i16, [i16]),
        "vardo_read_record": (i16, [i16, vp, i32, i32, i32]),
        "vardo_write_record": (i16, [i16, vp, i32, i32, i32]),
        "vardo_registry_entry_get": (i16, [i16, ctypes.POINTER(Entry)]),
        "vardo_registry_close": (None, []),
        "vardo_sdk_connect": (vp, []),
        "vardo_sdk_send": (ctypes.c_int, [vp, i32, i32, i32]),
        "vardo_sdk_read_position": (ctypes.c_int, [vp, ctypes.POINTER(_Position)]),
        "vardo_sdk_read_status": (ctypes.c_int, [vp, ctypes.POINTER(_Status)]),
        "vardo_sdk_disconnect": (None, [vp]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype = restype
        function.argtypes = argtypes
    return lib


_lib = _load()


def _check(what, result):
    if result < 0:
        raise VardoSdkError(what, result)
    return result


# ---- registry operations -------------------------------------------------

def registry_init():
    _check("registry_init", _lib.vardo_registry_init())


def create_record_set(name, mutex_name, record_size, count):
    """The slot 0..5 of a new record set."""
    mutex = mutex_name.encode() if mutex_name else None
    return _check("create_record_set",
                  _lib.vardo_create_record_set(name.encode(), mutex, record_size, count))


def open_record_set(name):
    return _check("open_record_set", _lib.vardo_open_record_set(name.encode()))


def close_record_set(slot):
    _check("close_record_set", _lib.vardo_close_record_set(slot))


def read_record(slot, size, index=1, lock=LOCK, timeout_ms=1000):
    """The bytes of record `index` (1-based) of a set of `size`-byte records."""
    buffer = ctypes.create_string_buffer(size)
    _check("read_record", _lib.vardo_read_record(slot, buffer, index, lock, timeout_ms))
    return buffer.raw


def write_record(slot, data, index=1, lock=LOCK, timeout_ms=1000):
    buffer = ctypes.create_string_buffer(bytes(data), len(data))
    _check("write_record", _lib.vardo_write_record(slot, buffer, index, lock, timeout_ms))


def registry_entries():
    """The six registry entries as (name, mutex, in_use, size, count)."""
    entries = []
    for slot in range(6):
        entry = Entry()
        _check("registry_entry_get", _lib.vardo_registry_entry_get(slot, ctypes.byref(entry)))
        entries.append((entry.mapping_name.decode(), entry.mutex_name.decode(),
                        bool(entry.in_use), entry.record_size, entry.record_count))
    return entries


def registry_close():
    _lib.vardo_registry_close()


# ---- the connection to Vardo ---------------------------------------------

class Position:
    def __init__(self, record):
        self.x, self.y, self.laps, self.angle = record.x, record.y, record.laps, record.angle

    def __repr__(self):
        return "Position(x=%d, y=%d, laps=%d, angle=%d)" % (self.x, self.y, self.laps, self.angle)


class Connection:
    """Vardo's Command, Position and Status records."""

    def __init__(self, timeout_ms=5000):
        self.timeout_ms = timeout_ms
        self._handle = _lib.vardo_sdk_connect()
        if not self._handle:
            raise VardoSdkError("connect (is Vardo running with -s?)", FAILED)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def close(self):
        if self._handle:
            _lib.vardo_sdk_disconnect(self._handle)
            self._handle = None

    def send(self, code, value=0, timeout_ms=None):
        """Sends a command and waits until Vardo took it (TimeoutError if not)."""
        wait = self.timeout_ms if timeout_ms is None else timeout_ms
        result = _lib.vardo_sdk_send(self._handle, code, value, wait)
        if result == TIMEOUT:
            raise TimeoutError("Vardo did not take command %d in %d ms" % (code, wait))
        _check("send", result)

    def open(self):
        self.send(OPEN)

    def action(self, code):
        self.send(ACTION, code)

    def speed(self, percent, fade_seconds=0):
        self.send(SPEED, percent + 65536 * fade_seconds)

    def read_position(self):
        """The newest position, or None when none came since the last read."""
        record = _Position()
        fresh = _check("read_position",
                       _lib.vardo_sdk_read_position(self._handle, ctypes.byref(record)))
        return Position(record) if fresh == 1 else None

    def read_status(self):
        """The newest controller state bits, or None when unchanged since the last read."""
        record = _Status()
        fresh = _check("read_status",
                       _lib.vardo_sdk_read_status(self._handle, ctypes.byref(record)))
        return record.state if fresh == 1 else None

    def wait_for_place(self, x, y, radius=32, timeout=60.0, poll=0.02):
        """Waits until the train is within `radius` pixels of (x, y); its Position."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            position = self.read_position()
            if position is not None and \
                    (position.x - x) ** 2 + (position.y - y) ** 2 <= radius * radius:
                return position
            time.sleep(poll)
        raise TimeoutError("the train did not reach (%d, %d) in %.1f s" % (x, y, timeout))
