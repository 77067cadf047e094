// The built programs, run as a user or a script would run them.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#ifdef KVS_APP_PATH
namespace {

// One track, a C major arpeggio over about a second, no loop.
QByteArray ShortSong() {
    QByteArray track;
    const char notes[] = {60, 64, 67, 72};
    for (char key : notes) {
        track += QByteArray("\x00\x90", 2) + key + char(0x60);
        track += QByteArray("\x81\x40\x80", 3) + key + char(0x00);  // 192 ticks later
    }
    track += QByteArray("\x00\xFF\x2F\x00", 4);
    QByteArray file("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\xC0", 14);
    const quint32 size = static_cast<quint32>(track.size());
    file += "MTrk";
    for (int shift = 24; shift >= 0; shift -= 8)
        file += char((size >> shift) & 0xFF);
    return file + track;
}

// The log without its millisecond column: port and bytes of every message.
QStringList Messages(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QStringList lines;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const qsizetype space = line.indexOf(' ');
        if (space > 0) lines << QString::fromLatin1(line.mid(space + 1));
    }
    return lines;
}

int RunProgram(const QString& program, const QStringList& args, const QStringList& env) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString& pair : env)
        environment.insert(pair.section(u'=', 0, 0), pair.section(u'=', 1));
    process.setProcessEnvironment(environment);
    process.start(program, args);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not end by itself";
        return -1;
    }
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(KvsProgram, PlayAndQuitSendsWhatTheCommandLinePlayerSends) {
    QTemporaryDir dir;
    const QString song = dir.filePath("arpeggio.mid");
    QFile out(song);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(ShortSong());
    out.close();
    const QStringList env{"KVS_HOME=" + dir.path(), "XDG_RUNTIME_DIR=" + dir.path(),
                          "QT_QPA_PLATFORM=offscreen", "KVS_MIDI=virtual"};

    const QString cliLog = dir.filePath("cli.log");
    ASSERT_EQ(RunProgram(KVS_CLI_PATH, {"play", song, "--midi", "virtual", "--log", cliLog}, env),
              0);
    // kvs-cli left its settings. Without a sound card the built-in synth
    // cannot open, and its error box would wait for a user; metronome and
    // clock are what kvs-cli leaves out unless asked.
    QFile ini(dir.filePath("kvs.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadWrite));
    const QByteArray settings = ini.readAll()
                                    .replace("KVS Synth_out_enable=1", "KVS Synth_out_enable=0")
                                    .replace("metronome=1", "metronome=0")
                                    .replace("midiclock=1", "midiclock=0");
    ini.resize(0);
    ini.write(settings);
    ini.close();
    const QString kvsLog = dir.filePath("kvs.log");
    ASSERT_EQ(
        RunProgram(KVS_APP_PATH, {"/p", "/q", song}, env + QStringList{"KVS_MIDI_LOG=" + kvsLog}),
        0);
    if (!QFileInfo::exists(kvsLog)) GTEST_SKIP() << "this build's virtual MIDI has no KVS_MIDI_LOG";
    const QStringList expected = Messages(cliLog);
    EXPECT_TRUE(expected.contains("0 90 3C 60"));
    EXPECT_EQ(Messages(kvsLog).join(u'\n').toStdString(), expected.join(u'\n').toStdString());
}

}  // namespace
#endif
