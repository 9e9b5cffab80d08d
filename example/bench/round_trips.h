#pragma once
// Counts the requests the runtime and its platform layer make that wait for
// the X server's reply, by link-time wrapping of the Xlib calls they use (see
// this folder's CMakeLists.txt). Calls inside Xlib and the GL driver are not
// counted.

struct round_trip_counts {
    unsigned long input = 0;  // the input focus, the pointer and the keymap
    unsigned long other = 0;  // properties, attributes, geometry, syncs
};

round_trip_counts counted_round_trips();
