#include "tools/run_tool.h"

#include <optional>

#include "model/engine_link.h"
#include "model/song.h"

namespace kvs {

EditResult RunTool(EditSession& session, EngineLink& engine, const ToolState& state,
                   const Tool& tool, ToolHost& host) {
    if (session.Current() == nullptr) return EditResult::NoTrack;
    if (!engine.Idle()) return EditResult::EngineBusy;
    if (!tool.Available()) return EditResult::NotFound;

    std::optional<ToolPass> pass;
    if (tool.dialog == ToolDialog::Own) {
        pass = tool.fromDialog(host);
    } else {
        // Always the initial values: the dialog keeps nothing between uses.
        ValueDialog dialog = tool.NewDialog();
        if (tool.dialog == ToolDialog::None || host.RunValueDialog(dialog))
            pass = tool.fromValues(dialog);
    }
    if (!pass || !*pass) return EditResult::Cancelled;
    return ApplyTool(session, engine, state.applyToAllTracks, tool, *pass, &host);
}

EditResult ApplyTool(EditSession& session, EngineLink& engine, bool allTracks, const Tool& tool,
                     const ToolPass& pass, ToolHost* host) {
    if (session.Current() == nullptr) return EditResult::NoTrack;
    if (!engine.Idle()) return EditResult::EngineBusy;
    if (tool.undo && session.SaveUndo() != EditResult::Done) return EditResult::Failed;

    Song& song = session.GetSong();
    const std::uint32_t tracksBefore = song.TrackCount();
    auto runOn = [&](std::uint32_t index) {
        const Track* track = song.GetTrack(index);
        if (track == nullptr) return;
        const ToolRange range =
            tool.wholeTracks ? WholeTrack(*track) : GetToolRange(*track, session.Selection());
        bool redraw = false;
        {
            SongLock lock = engine.LockSong();
            redraw = pass(song, index, range);
        }
        if (redraw && host != nullptr) host->RedrawTrack(index);
    };

    if (allTracks && tool.allTracks) {
        // Tracks a pass appends are not visited.
        for (std::uint32_t i = 0; i < tracksBefore; ++i) {
            const Track* track = song.GetTrack(i);
            if (track != nullptr && track->properties.muted == 0) runOn(i);
        }
    } else {
        runOn(static_cast<std::uint32_t>(session.CurrentTrack()));
    }
    song.modified = 1;
    if (song.TrackCount() > tracksBefore && host != nullptr) host->TracksAdded();
    return EditResult::Done;
}

}  // namespace kvs
