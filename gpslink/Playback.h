#pragma once

#include "GpsProtocol.h"

#include <cstdint>
#include <cstdio>
#include <functional>

// Plays an .NME file back at the pace of its time stamps, scaled by the
// speed factor. The clock is a 64-bit monotonic millisecond count, so the
// arithmetic never wraps however long the program runs.
class Playback {
public:
    using Record = GpsProtocol::PositionRecord;

    enum class Start {
        Playing,  // timer needed
        Finished, // the file held one accepted record; it was delivered and playback is over
        NoData,   // no accepted sentence: "Datei enthält keine gültigen NMEA-Daten"
    };

    ~Playback() { stop(); }

    // Takes ownership of `file`. `current` is the shared block's record: the
    // first accepted sentence is parsed into it. `notify` tells whether it
    // is to be announced (quality above 0).
    Start start(std::FILE* file, std::int32_t flags, std::int64_t now, Record& current, bool& notify);

    // One timer tick: copies every due record with a quality above 0 into
    // `current`; true when anything was delivered (announce it once).
    bool tick(std::int64_t now, std::int32_t flags, Record& current);

    // New factor 1, 2, 4 or 8, taking effect at `now`: the playback
    // position of this moment is kept and only the pace changes, so no
    // record is skipped or repeated.
    void setSpeed(int factor, std::int64_t now);
    int speed() const { return m_speed; }

    bool running() const { return m_file != nullptr; }
    void stop();

    // The next line of a play file: at most 255 characters, its line end
    // (LF, or the CR LF of a recorded file) removed. False at the end.
    static bool readLine(std::FILE* file, char (&buffer)[256]);

private:
    bool readNextAccepted(std::int32_t flags, Record& target);

    std::FILE* m_file = nullptr;
    Record m_lookAhead;
    std::int64_t m_offset = 0;
    int m_speed = 1;
};
