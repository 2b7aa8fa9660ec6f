// Prints the longest event-loop stall while a routing table and 64 gain frames
// go out through a MIDI output that takes the wire time of 31.25 kbaud.
#include "links/midi_send_stall.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const auto figure = varento::testing::measureMidiSendStall();
    if (!figure.finished) {
        std::printf("midi send stall: did not finish (%zu frames sent)\n", figure.framesSent);
        return 1;
    }
    std::printf("midi send stall: longest %lld ms over %lld ms, %zu frames\n",
                static_cast<long long>(figure.longestStallMs),
                static_cast<long long>(figure.totalMs), figure.framesSent);
    return 0;
}
