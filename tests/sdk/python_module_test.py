"""The Python module driving the C library, and the example script against a
stand-in for Vardo in another process."""

import glob
import os
import struct
import sys
import time
import unittest

os.environ["VARDO_SDK_PREFIX"] = "vardo-sdk-pytest-%d" % os.getpid()

import vardo_sdk  # noqa: E402
import run_to_place  # noqa: E402


def remove_objects():
    for path in glob.glob("/dev/shm/%s.*" % os.environ["VARDO_SDK_PREFIX"]):
        os.unlink(path)


def fake_vardo(ready_fd, log_fd):
    """Takes commands like Vardo; once running, the train moves along y = 100."""
    vardo_sdk.registry_init()
    slots = [vardo_sdk.create_record_set(n, m, 12, 1)
             for n, m in (("Command", "CMD"), ("Position", "POS"), ("Status", "STS"),
                          ("Ball", "BAL"))]
    os.write(ready_fd, b"r")
    running, x = False, 0
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        record = vardo_sdk.read_record(slots[0], 12)
        flag, code, value = struct.unpack("<B3xii", record)
        if flag == 1:
            vardo_sdk.write_record(slots[0], struct.pack("<B3xii", 2, code, value))
            os.write(log_fd, struct.pack("<ii", code, value))
            if code == 1:
                running = value in (1, 2)
                vardo_sdk.write_record(slots[2], struct.pack("<B3xh6x", 1, 2 if running else 0))
                if not running:
                    break
        if running:
            x += 5
            vardo_sdk.write_record(slots[1], struct.pack("<B3xhhhh", 1, x, 100, x // 640, 0))
        time.sleep(0.005)
    os._exit(0)


class PythonModule(unittest.TestCase):
    def tearDown(self):
        vardo_sdk.registry_close()
        remove_objects()

    def test_registry_operations(self):
        vardo_sdk.registry_init()
        slot = vardo_sdk.create_record_set("Position", "POS", 12, 2)
        self.assertEqual(slot, 0)
        vardo_sdk.write_record(slot, struct.pack("<B3xhhhh", 1, 320, 240, 1, 90), index=2)
        self.assertEqual(struct.unpack("<B3xhhhh", vardo_sdk.read_record(slot, 12, index=2)),
                         (1, 320, 240, 1, 90))
        self.assertEqual(vardo_sdk.registry_entries()[0], ("Position", "POS", True, 12, 2))
        with self.assertRaises(vardo_sdk.VardoSdkError) as error:
            vardo_sdk.create_record_set("x" * 32, "M", 12, 1)
        self.assertEqual(error.exception.code, vardo_sdk.BAD_ARGUMENT)
        with self.assertRaises(vardo_sdk.VardoSdkError) as error:
            vardo_sdk.read_record(slot, 12, index=3)
        self.assertEqual(error.exception.code, vardo_sdk.BAD_ARGUMENT)
        with self.assertRaises(vardo_sdk.VardoSdkError):
            vardo_sdk.Connection()  # no Command or Status set
        vardo_sdk.close_record_set(slot)
        self.assertFalse(vardo_sdk.registry_entries()[0][2])

    def test_example_runs_the_train_to_a_place_and_stops_it(self):
        ready_r, ready_w = os.pipe()
        log_r, log_w = os.pipe()
        child = os.fork()
        if child == 0:
            try:
                fake_vardo(ready_w, log_w)
            finally:
                os._exit(1)
        os.close(ready_w)
        os.close(log_w)
        self.assertEqual(os.read(ready_r, 1), b"r")
        position = run_to_place.run(200, 100, radius=10, timeout=10)
        self.assertLessEqual(abs(position.x - 200), 10)
        self.assertEqual(position.y, 100)
        _, status = os.waitpid(child, 0)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)
        log = b""
        while True:
            chunk = os.read(log_r, 4096)
            if not chunk:
                break
            log += chunk
        commands = [struct.unpack("<ii", log[i:i + 8]) for i in range(0, len(log), 8)]
        self.assertEqual(commands, [(101, 0), (1, 1), (1, 0)])

    def test_send_times_out_without_vardo_taking_it(self):
        vardo_sdk.registry_init()
        for name, mutex in (("Command", "CMD"), ("Position", "POS"), ("Status", "STS")):
            vardo_sdk.create_record_set(name, mutex, 12, 1)
        child = os.fork()
        if child == 0:
            code = 1
            try:
                with vardo_sdk.Connection() as vardo:
                    try:
                        vardo.send(vardo_sdk.OPEN, timeout_ms=50)
                    except TimeoutError:
                        code = 0
            finally:
                os._exit(code)
        _, status = os.waitpid(child, 0)
        self.assertEqual(os.waitstatus_to_exitcode(status), 0)


if __name__ == "__main__":
    result = unittest.main(exit=False).result
    sys.exit(0 if result.wasSuccessful() else 1)
