/*
 * sdk_drive: an outside program in C. Opens the connection to Vardo, runs
 * the train forward until it comes within RADIUS pixels of (X, Y) or
 * SECONDS pass, and stops it again.
 *
 *   sdk_drive X Y [RADIUS [SECONDS]]
 *
 * Build against an installed library: cc sdk_drive.c $(pkg-config --cflags --libs vardo_sdk)
 */
#define _POSIX_C_SOURCE 199309L
#include <vardo_sdk.h>

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

enum { OPEN = 101, ACTION = 1, STOP = 0, FORWARD = 1, TIMEOUT_MS = 5000 };

static double now_seconds(void)
{
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static void sleep_ms(long ms)
{
    struct timespec t = {ms / 1000, (ms % 1000) * 1000000L};
    nanosleep(&t, NULL);
}

static int wait_for_place(vardo_sdk* sdk, long x, long y, long radius, double seconds)
{
    double end = now_seconds() + seconds;
    while (now_seconds() < end) {
        vardo_position_record position;
        int fresh = vardo_sdk_read_position(sdk, &position);
        if (fresh < 0 && fresh != VARDO_SDK_TIMEOUT) {
            fprintf(stderr, "sdk_drive: cannot read the position (%d)\n", fresh);
            return 2;
        }
        if (fresh == 1) {
            long dx = position.x - x;
            long dy = position.y - y;
            printf("train at %d, %d (laps %d)\n", position.x, position.y, position.laps);
            if (dx * dx + dy * dy <= radius * radius) {
                return 0;
            }
        }
        sleep_ms(20);
    }
    fprintf(stderr, "sdk_drive: the train did not reach %ld, %ld in time\n", x, y);
    return 1;
}

int main(int argc, char** argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: sdk_drive X Y [RADIUS [SECONDS]]\n");
        return 2;
    }
    long x = strtol(argv[1], NULL, 10);
    long y = strtol(argv[2], NULL, 10);
    long radius = argc > 3 ? strtol(argv[3], NULL, 10) : 32;
    double seconds = argc > 4 ? strtod(argv[4], NULL) : 60.0;

    vardo_sdk* sdk = vardo_sdk_connect();
    if (sdk == NULL) {
        fprintf(stderr, "sdk_drive: Vardo's interface is not running (start Vardo with -s)\n");
        return 2;
    }
    int result = 2;
    if (vardo_sdk_send(sdk, OPEN, 0, TIMEOUT_MS) == VARDO_SDK_OK &&
        vardo_sdk_send(sdk, ACTION, FORWARD, TIMEOUT_MS) == VARDO_SDK_OK) {
        result = wait_for_place(sdk, x, y, radius, seconds);
        if (vardo_sdk_send(sdk, ACTION, STOP, TIMEOUT_MS) != VARDO_SDK_OK) {
            fprintf(stderr, "sdk_drive: the stop command was not taken\n");
            result = 2;
        }
    } else {
        fprintf(stderr, "sdk_drive: Vardo did not take the commands\n");
    }
    vardo_sdk_disconnect(sdk);
    return result;
}
