#pragma once

#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "model/edit_session.h"
#include "track_fixture.h"

namespace kvs::test {

// Records what editing asked of the engine.
class RecordingLink : public EngineLink {
  public:
    bool idle = true;
    int locks = 0;
    int stops = 0;
    int thruOffs = 0;
    std::vector<std::uint32_t> released;
    std::vector<std::int32_t> solos;
    std::vector<std::uint32_t> moves;
    Song* song = nullptr;

    bool Idle() const override { return idle; }
    SongLock LockSong() override {
        ++locks;
        return SongLock(mutex_);
    }
    void Stop() override {
        ++stops;
        idle = true;
    }
    void SetSong(Song* s) override { song = s; }
    void ReleaseTrackNotes(std::uint32_t track) override { released.push_back(track); }
    void ReleaseAllNotes() override {}
    void ThruNotesOff() override { ++thruOffs; }
    void SetSoloTrack(std::int32_t track) override { solos.push_back(track); }
    void MovePosition(std::uint32_t beat) override { moves.push_back(beat); }

  private:
    std::mutex mutex_;
};

// Gives queued answers; an empty queue cancels.
class ScriptedAsk : public EditAsk {
  public:
    std::deque<std::int32_t> numbers;
    std::deque<FindRequest> finds;
    bool confirm = false;
    std::vector<std::string> asked;  // title keys and error keys, in order
    std::optional<FindRequest> findShown;

    std::optional<std::int32_t> AskNumber(const char* title, const char*, std::int32_t min,
                                          std::int32_t max, std::int32_t initial) override {
        asked.push_back(std::string(title) + " " + std::to_string(min) + ".." +
                        std::to_string(max) + " @" + std::to_string(initial));
        return Take(numbers);
    }
    std::optional<std::uint32_t> AskPort(const char*, const char*, std::uint32_t) override {
        return std::nullopt;
    }
    std::optional<FindRequest> AskFind(const FindRequest& current) override {
        asked.push_back("find");
        findShown = current;
        return Take(finds);
    }
    bool Confirm(const char* key) override {
        asked.push_back(key);
        return confirm;
    }
    void ShowError(const char* key) override { asked.push_back(key); }

  private:
    template <typename T>
    static std::optional<T> Take(std::deque<T>& queue) {
        if (queue.empty()) return std::nullopt;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
};

// A session over a song with the given number of empty tracks, track 0 current.
struct EditFixture {
    RecordingLink link;
    PlainBeatSelection selection;
    ScriptedAsk ask;
    EditSession session{link, selection, ask};

    explicit EditFixture(std::uint32_t tracks = 1) {
        for (std::uint32_t i = 0; i < tracks; ++i)
            session.GetSong().InsertTrack();
        if (tracks > 0) session.SetCurrentTrack(0);
    }
    Track& T(std::uint32_t i = 0) { return *session.GetSong().GetTrack(i); }
    void Select(std::uint32_t anchor, std::uint32_t caret) { selection.Select(anchor, caret); }
};

// Everything that makes a track what it is, SysEx bytes included, as text.
inline std::string Dump(const Track& track) {
    const TrackProperties& p = track.properties;
    std::ostringstream out;
    out << p.name.View() << " ch" << p.channel << " port" << p.port << " " << p.program << "/"
        << p.bank << "/" << p.volume << "/" << p.pan << "/" << p.reverb << "/" << p.chorus << " m"
        << p.muted << " beats " << track.BeatCount() << "\n";
    for (std::uint32_t beat = 0; beat < track.BeatCount(); ++beat) {
        for (const Event& e : *track.Bucket(beat)) {
            out << beat << ":" << e.offset << " " << e.message;
            const SysexBlock* block =
                IsSysex(e.message) ? track.Sysex().Find(SysexId(e.message)) : nullptr;
            if (IsSysex(e.message) && block == nullptr) out << " missing";
            if (block != nullptr)
                for (std::uint8_t b : block->bytes)
                    out << " " << +b;
            out << "\n";
        }
    }
    return out.str();
}

}  // namespace kvs::test
