// The note editor dialog on a track of 1,000,000 notes, offscreen: from
// building the dialog to its first drawn frame, and one page scrolled and
// drawn again. Only the notes of the visible beats may be looked at.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QTemporaryDir>
#include <memory>

#include "dense_note_track.h"
#include "midi/backends/virtual_midi.h"
#include "midi/engine_edit_link.h"
#include "model/song.h"
#include "ui/program_note_editor.h"
#include "ui/qt/main_window.h"
#include "ui/qt/note_editor_dialog.h"
#include "ui/qt/note_view_widget.h"

namespace {

constexpr std::uint32_t kBeats = kvs::bench::kDenseBeats;

// The real window and program around one long track, made once.
struct Program {
    Program() {
        kvs::Application::Options options;
        options.layer = std::make_unique<kvs::VirtualMidiLayer>(std::vector<std::string>{},
                                                                std::vector<std::string>{"Out"});
        options.dataFolder = home.path().toStdString();
        window = std::make_unique<kvs::MainWindow>(std::move(options));
        kvs::EditSession& session = window->App().Session();
        session.GetSong().InsertTrack();
        kvs::bench::FillDenseNotes(*session.GetSong().GetTrack(0));
        (void)session.SetCurrentTrack(0);
        link = std::make_unique<kvs::EngineEditLink>(window->App().GetEngine());
    }
    std::unique_ptr<kvs::ProgramNoteEditor> Editor() {
        kvs::Application& app = window->App();
        return std::make_unique<kvs::ProgramNoteEditor>(
            state, app.Prompts(),
            kvs::ProgramNoteEditor::Parts{app.GetEngine(), *link, app.Session(), app.GetRecorder(),
                                          *window});
    }
    QTemporaryDir home;
    std::unique_ptr<kvs::MainWindow> window;
    std::unique_ptr<kvs::EngineEditLink> link;
    kvs::NoteEditorState state;
};

// Made on first use and gone before the QApplication.
std::unique_ptr<Program> theProgram;

Program& TheProgram() {
    if (!theProgram) theProgram = std::make_unique<Program>();
    return *theProgram;
}

void BM_NoteEditorOpenToFirstFrame(benchmark::State& state) {
    Program& program = TheProgram();
    program.state.openBeat = static_cast<std::uint32_t>(state.range(0));
    QImage image;
    for (auto _ : state) {
        std::unique_ptr<kvs::ProgramNoteEditor> editor = program.Editor();
        auto dialog = std::make_unique<kvs::NoteEditorDialog>(
            program.window.get(), program.window->App().Prompts(), nullptr, *editor);
        dialog->show();  // the editor opens here
        if (image.size() != dialog->size())
            image = QImage(dialog->size(), QImage::Format_ARGB32_Premultiplied);
        dialog->render(&image);
        benchmark::ClobberMemory();
        state.PauseTiming();
        dialog.reset();  // the face goes before the editor it shows
        editor.reset();  // closing hands MIDI input back
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NoteEditorOpenToFirstFrame)
    ->Arg(0)
    ->Arg(kBeats / 2)
    ->Arg(kBeats - 4)
    ->Unit(benchmark::kMillisecond);

void BM_NoteEditorScrollOnePage(benchmark::State& state) {
    Program& program = TheProgram();
    program.state.openBeat = kBeats / 2;
    std::unique_ptr<kvs::ProgramNoteEditor> editor = program.Editor();
    kvs::NoteEditorDialog dialog(program.window.get(), program.window->App().Prompts(), nullptr,
                                 *editor);
    dialog.show();
    QWidget* viewport = dialog.ViewWidget()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    kvs::NoteView& view = editor->View();
    bool forward = true;
    for (auto _ : state) {
        view.ScrollHorizontal(forward ? kvs::ScrollAction::PageForward
                                      : kvs::ScrollAction::PageBack);
        viewport->render(&image);
        benchmark::ClobberMemory();
        forward = !forward;
    }
    dialog.hide();
}
BENCHMARK(BM_NoteEditorScrollOnePage)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    theProgram.reset();
    return 0;
}
