#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <string>

#include "model/track.h"

namespace kvs::test {

// What `kvs-cli dump` prints of a song file.
inline QString CliDump(const QString& path) {
    QProcess process;
    process.start(QStringLiteral(KVS_CLI_PATH), {QStringLiteral("dump"), path});
    if (!process.waitForFinished(30000)) {
        process.kill();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Every event of a track as "tick message" lines, as the dump writes them.
inline std::string EventLines(const Track& track) {
    std::string lines;
    char line[40];
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        const BeatBucket& bucket = *track.Bucket(beat);
        for (std::uint32_t i = 0; i < bucket.Count(); ++i) {
            std::snprintf(line, sizeof line, "%u %08X\n", beat * TICKS_PER_BEAT + bucket[i].offset,
                          bucket[i].message);
            lines += line;
        }
    }
    return lines;
}

}  // namespace kvs::test
