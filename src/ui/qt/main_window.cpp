#include "ui/qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "ui/qt/action_table.h"
#include "ui/qt/dialog_base.h"
#include "ui/qt/dialog_host.h"
#include "ui/qt/engine_wakeup.h"
#include "ui/qt/export_audio_dialog.h"
#include "ui/qt/file_drop.h"
#include "ui/qt/icons.h"
#include "ui/qt/marker_keys.h"
#include "ui/qt/modal_input.h"
#include "ui/qt/status_bar.h"
#include "ui/qt/track_list.h"
#include "ui/qt/track_view_widget.h"
#include "ui/sysex_editor_form.h"

namespace kvs {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

std::optional<ListKey> ListKeyOf(int key) {
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return ListKey::Enter;
        case Qt::Key_End:
            return ListKey::End;
        case Qt::Key_Home:
            return ListKey::Home;
        case Qt::Key_Left:
            return ListKey::Left;
        case Qt::Key_Right:
            return ListKey::Right;
        case Qt::Key_Insert:
            return ListKey::Insert;
        case Qt::Key_Delete:
            return ListKey::Delete;
        default:
            return std::nullopt;
    }
}

}  // namespace

MainWindow::MainWindow(Application::Options options) {
    app_ = std::make_unique<Application>(*this, std::move(options));
    InitIconResources();
    setWindowIcon(ApplicationIcon());
    dialogs_ = std::make_unique<DialogHost>(this, app_->Prompts(), app_->CurrentSettings());
    dialogs_->SetVersion(std::string(kProgramVersion));
    dialogs_->SetPortSource(
        [this] {
            std::vector<OutputPort> ports;
            const auto& outputs = app_->Devices().Outputs();
            for (std::uint32_t i = 0; i < outputs.size(); ++i) {
                if (outputs[i].enabled) ports.push_back({outputs[i].friendlyName, i});
            }
            return ports;
        },
        [this] { return app_->CurrentSettings().general.defaultPort; });
    modalInput_ = std::make_unique<ModalInput>(*app_);
    dialogs_->SetModalHook(
        [this](bool begins) { begins ? modalInput_->Begin() : modalInput_->End(); });

    actions_ = new ActionTable(
        this, [this](std::uint32_t id) { RunMenuCommand(id); },
        [this](std::uint32_t id) { RunKeyCommand(id); });

    status_ = new StatusBar(this);
    setStatusBar(status_);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* left = new QVBoxLayout;
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    list_ = new TrackList(central);
    list_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    left->addWidget(list_);
    // The list stops where the view's horizontal scroll bar begins, so that
    // row n of the list stands beside row n of the view.
    left->addSpacing(style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
    row->addLayout(left, 4);
    view_ = new TrackViewWidget(app_->View(), central);
    view_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    row->addWidget(view_, 6);
    setCentralWidget(central);
    view_->SetRowHeight(list_->RowHeight());
    connect(list_, &TrackList::RowHeightChanged, view_, &TrackViewWidget::SetRowHeight);

    list_->SetKeyHandler([this](QKeyEvent* event) { RouteKey(event); });
    connect(list_, &TrackList::RowSelected, this,
            [this](int row) { app_->SelectTrackFromList(row); });
    connect(list_, &TrackList::ContextMenuWanted, this,
            [this](QPoint at) { ShowContextMenu(listMenu_, at); });
    connect(list_, &TrackList::TopRowChanged, this, [this](int top) {
        if (top >= 0 && app_->View().TopTrack() != static_cast<std::uint32_t>(top))
            app_->View().SetTopTrack(static_cast<std::uint32_t>(top));
    });
    connect(view_, &TrackViewWidget::contextMenuRequested, this,
            [this](const QPoint& at) { ShowContextMenu(viewMenu_, at); });
    list_->installEventFilter(this);
    view_->installEventFilter(this);

    BuildToolbar();
    BuildMenus();
    ApplyPrompts();
    resize(800, 560);
    list_->setFocus();
    setAcceptDrops(true);
}

MainWindow::~MainWindow() {
    if (!exited_) app_->ExitSequence();
    exited_ = true;
    // Children would outlive app_: the view widget holds its view model and
    // the wake-up its descriptor, so both go first.
    std::unique_ptr<QObject>(wakeup_).reset();
    std::unique_ptr<QWidget>(takeCentralWidget()).reset();
}

QAction* MainWindow::Action(std::uint32_t id) const {
    return actions_->Action(id);
}

bool MainWindow::EditSysexEvent(Track& track, std::uint32_t beat, std::uint32_t index) {
    const bool portOpen = app_->Devices().IsOpen(MidiDeviceKind::Out, track.properties.port);
    const auto form = SysexEditorForm::Open(track, beat, index, app_->EditLink(), app_->Queue(),
                                            app_->Prompts(), portOpen);
    if (!form) return false;
    const Application::ModalGuard guard(*app_);
    return dialogs_->EditSysex(*form) && form->Changed();
}

void MainWindow::StartUp() {
    app_->StartUp();
    ApplyPrompts();
    wakeup_ = new EngineWakeup(
        app_->WakeFd(), [this] { app_->ProcessNotifications(); }, this);
    Refresh(refresh::Title | refresh::StatusBar | refresh::TrackList | refresh::MenuStates |
            refresh::TrackView | refresh::Layout);
    list_->setFocus();
    // A copy of unsaved changes every two minutes (KVS_RECOVERY_MS, for
    // tests, makes it sooner).
    auto* recovery = new QTimer(this);
    const int recoveryMs = qEnvironmentVariableIntValue("KVS_RECOVERY_MS");
    connect(recovery, &QTimer::timeout, this, [this] { app_->WriteRecovery(); });
    recovery->start(recoveryMs > 0 ? recoveryMs : 120000);
}

void MainWindow::RunCommandLine(const CommandLine& line) {
    app_->RunCommandLine(line);
}

void MainWindow::ReceiveHandOver(const std::vector<std::string>& words, const std::string& folder) {
    app_->ReceiveHandOver(words, folder);
}

void MainWindow::BuildToolbar() {
    toolbar_ = addToolBar(QString());
    toolbar_->setObjectName(QStringLiteral("toolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar_->setIconSize(QSize(16, 16));
    for (const ToolbarEntry& entry : Toolbar()) {
        if (entry.command == 0) {
            toolbar_->addSeparator();
        } else if (QAction* action = actions_->Action(entry.command)) {
            toolbar_->addAction(action);
        }
    }
}

void MainWindow::BuildMenus() {
    menuBar()->clear();
    menuTitles_.clear();
    for (const MenuEntry& top : MainMenu()) {
        QMenu* menu = menuBar()->addMenu(QString());
        menuTitles_.emplace_back(menu, top.text);
        BuildMenu(menu, top.children);
    }
    listMenu_ = new QMenu(this);
    BuildMenu(listMenu_, TrackListContextMenu());
    viewMenu_ = new QMenu(this);
    BuildMenu(viewMenu_, TrackViewContextMenu());
}

void MainWindow::BuildMenu(QMenu* menu, const std::vector<MenuEntry>& entries) {
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateMenuStates(menu); });
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
            case MenuEntry::Kind::Command:
                if (QAction* action = actions_->Action(entry.command)) menu->addAction(action);
                break;
            case MenuEntry::Kind::Separator:
                menu->addSeparator();
                break;
            case MenuEntry::Kind::Submenu: {
                QMenu* sub = menu->addMenu(QString());
                menuTitles_.emplace_back(sub, entry.text);
                BuildMenu(sub, entry.children);
                break;
            }
            case MenuEntry::Kind::RecentFiles:
                fileMenu_ = menu;
                recentAnchor_ = menu->addSeparator();
                recentAnchor_->setVisible(false);
                break;
        }
    }
}

void MainWindow::ApplyPrompts() {
    const PromptTable& prompts = app_->Prompts();
    actions_->ApplyPrompts(prompts);
    for (auto& [menu, id] : menuTitles_)
        menu->setTitle(MenuText(prompts.Text(id)));
    for (QAction* action : toolbar_->actions()) {
        if (QWidget* button = toolbar_->widgetForAction(action))
            button->setAccessibleName(action->toolTip());
    }
    // A screen reader names the two panes after what they hold.
    list_->setAccessibleName(
        ToQString(prompts.Text(prompt::song_prop_songtrks)).remove(u':').trimmed());
    view_->setAccessibleName(ToQString(prompts.Text(prompt::trk_stats_beats)));
}

void MainWindow::UpdateMenuStates(QMenu* menu) {
    const auto stateOf = [this](std::uint32_t id) {
        const Application::MenuState s = app_->StateOf(id);
        return ActionTable::State{s.enabled, s.checked, s.radio};
    };
    actions_->UpdateStates(menu->actions(), stateOf);
    if (menu == fileMenu_) RebuildRecentFiles();
}

void MainWindow::RebuildRecentFiles() {
    if (!fileMenu_ || !recentAnchor_) return;
    for (QAction* action : recentActions_) {
        fileMenu_->removeAction(action);
        action->deleteLater();
    }
    recentActions_.clear();
    const std::vector<std::string> items = app_->RecentFileItems();
    std::uint32_t id = cmd::RecentFirst;
    for (const std::string& text : items) {
        if (id > cmd::RecentLast) break;
        auto* action = new QAction(Q(text), fileMenu_);
        connect(action, &QAction::triggered, this, [this, id] { RunMenuCommand(id); });
        fileMenu_->insertAction(recentAnchor_, action);
        recentActions_.push_back(action);
        ++id;
    }
    recentAnchor_->setVisible(!items.empty());
}

void MainWindow::RunMenuCommand(std::uint32_t id) {
    app_->Execute(id);
    Refresh(refresh::MenuStates);
}

void MainWindow::RunKeyCommand(std::uint32_t id) {
    // A key acts only when its menu item would, judged now rather than when
    // the menu last opened.
    if (!app_->StateOf(id).enabled) return;
    RunMenuCommand(id);
}

void MainWindow::RouteKey(QKeyEvent* event) {
    const std::optional<ListKey> key = ListKeyOf(event->key());
    if (!key) return;  // characters go nowhere
    const Qt::KeyboardModifiers mods = event->modifiers();
    app_->KeyFromTrackList(*key, mods & Qt::ControlModifier, mods & Qt::ShiftModifier);
    Refresh(refresh::MenuStates);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Keys the view did not use (Ctrl+Insert, Ctrl+Delete) end up here.
    if (ListKeyOf(event->key())) {
        RouteKey(event);
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    if (DroppedSongFile(event->mimeData())) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const std::optional<std::string> path = DroppedSongFile(event->mimeData());
    if (!path) return;
    event->acceptProposedAction();
    // The save question waits until the drag has ended.
    QTimer::singleShot(0, this, [this, file = *path] {
        app_->OpenDropped(file);
        Refresh(refresh::MenuStates);
    });
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && (watched == list_ || watched == view_)) {
        if (const auto id = MarkerCommandForKey(*static_cast<QKeyEvent*>(event))) {
            RunKeyCommand(*id);
            return true;
        }
    }
    if (event->type() == QEvent::FocusIn && (watched == list_ || watched == view_))
        app_->FocusMoved(watched == list_ ? FocusedChild::TrackList : FocusedChild::TrackView);
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::focusNextPrevChild(bool) {
    // Tab moves between the two panes only.
    if (list_->hasFocus()) {
        view_->setFocus(Qt::TabFocusReason);
    } else {
        list_->setFocus(Qt::TabFocusReason);
    }
    return true;
}

void MainWindow::ShowContextMenu(QMenu* menu, QPoint global) {
    if (!menu) return;
    menu->exec(global);
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && app_->MinimizeRequested()) {
        // Minimising stopped the engine; the window stays in view.
        QTimer::singleShot(0, this, [this] {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            showNormal();
        });
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exited_) {
        event->accept();
        return;
    }
    if (!app_->CloseRequested()) {
        event->ignore();
        return;
    }
    hide();
    app_->ExitSequence();
    exited_ = true;
    event->accept();
}

void MainWindow::CloseWindow() {
    QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}

void MainWindow::RaiseWindow() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void MainWindow::Refresh(std::uint32_t what, std::int32_t track) {
    if (what & refresh::Title) setWindowTitle(Q(app_->WindowTitle()));
    if (what & refresh::StatusBar) status_->SetTexts(app_->StatusTexts());
    if (what & refresh::TrackList) RefreshTrackList();
    if ((what & refresh::TrackRow) && track >= 0 &&
        static_cast<std::uint32_t>(track) < app_->TrackCount()) {
        list_->SetRow(track, Q(app_->TrackListRow(static_cast<std::uint32_t>(track))));
        list_->SelectRowQuietly(app_->CurrentTrack());
    }
    if (what & refresh::ListSelection) list_->SelectRowQuietly(app_->CurrentTrack());
    if (what & refresh::ListTopRow) list_->SetTopRow(static_cast<int>(app_->View().TopTrack()));
    if (what & refresh::TrackView) view_->Refresh();
    if (what & refresh::Layout) ApplyLayoutSwitches();
    // The toolbar shows the same states as the menus, and whatever changes
    // the status bar (caret, selection, engine state) may change them.
    if (what & (refresh::MenuStates | refresh::StatusBar)) {
        actions_->UpdateStates([this](std::uint32_t id) {
            const Application::MenuState s = app_->StateOf(id);
            return ActionTable::State{s.enabled, s.checked, s.radio};
        });
    }
}

void MainWindow::RefreshTrackList() {
    std::vector<QString> rows;
    const std::uint32_t count = app_->TrackCount();
    rows.reserve(count);
    for (std::uint32_t t = 0; t < count; ++t)
        rows.push_back(Q(app_->TrackListRow(t)));
    list_->SetRows(rows, app_->CurrentTrack());
    list_->SetTopRow(static_cast<int>(app_->View().TopTrack()));
}

void MainWindow::ApplyLayoutSwitches() {
    toolbar_->setVisible(app_->ToolbarShown());
    status_->setVisible(app_->StatusBarShown());
}

// Dialogs: DialogHost's. ---------------------------------------------------

void MainWindow::ShowErrorText(const std::string& text) {
    dialogs_->ShowErrorText(text);
}
void MainWindow::ShowInfoText(const std::string& text) {
    dialogs_->ShowInfoText(text);
}
UiHost::Answer MainWindow::AskYesNoCancel(const std::string& text) {
    switch (dialogs_->AskYesNoCancel(text)) {
        case DialogHost::Answer::Yes:
            return Answer::Yes;
        case DialogHost::Answer::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}
bool MainWindow::AskYesNo(const std::string& text) {
    return dialogs_->AskYesNo(text);
}
std::optional<UiHost::FileChoice> MainWindow::AskFile(const FileDialogRequest& request) {
    return dialogs_->AskFile(request);
}
void MainWindow::ShowTipOfDay() {
    dialogs_->ShowTipOfDay();
}
void MainWindow::ShowAbout() {
    dialogs_->ShowAbout();
}
void MainWindow::ShowCommandLineHelp(const CommandLineHelp& texts) {
    dialogs_->ShowCommandLineHelp(texts);
}
void MainWindow::ShowHelpContents() {
    // Without a browser or help pages nothing would happen at all.
    if (!dialogs_->ShowHelpContents()) dialogs_->ShowError("error_cantload");
}
void MainWindow::OpenUrl(const std::string& url) {
    QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
}
bool MainWindow::AskGoto(GotoForm& form) {
    return dialogs_->AskGoto(form);
}
bool MainWindow::AskMarker(MarkerListForm& form) {
    return dialogs_->AskMarker(form);
}
bool MainWindow::RunSongProperties(SongPropertiesForm& form) {
    return dialogs_->RunSongProperties(form);
}
bool MainWindow::RunTrackProperties(TrackPropertiesForm& form) {
    return dialogs_->RunTrackProperties(form);
}
bool MainWindow::RunChangeProperties(ChangePropertiesForm& form, const std::string& title) {
    return dialogs_->RunChangeProperties(form, title);
}
bool MainWindow::RunTimeTempo(TimeTempoForm& form) {
    return dialogs_->RunTimeTempo(form);
}
void MainWindow::ShowTrackStatistics(const std::vector<std::string>& rows) {
    dialogs_->ShowTrackStatistics(rows);
}
bool MainWindow::AskKeepRecording() {
    return dialogs_->AskYesNo(std::string(app_->Prompts().Text(prompt::confirm_keeprec)));
}

bool MainWindow::RunNoteEditor(ProgramNoteEditor& editor) {
    dialogs_->RunNoteEditor(editor);
    return true;
}

std::optional<std::int32_t> MainWindow::AskNumber(const char* titleKey, const char* labelKey,
                                                  std::int32_t min, std::int32_t max,
                                                  std::int32_t initial) {
    return dialogs_->AskNumber(titleKey, labelKey, min, max, initial);
}
std::optional<std::uint32_t> MainWindow::AskPort(const char* titleKey, const char* labelKey,
                                                 std::uint32_t initial) {
    return dialogs_->AskPort(titleKey, labelKey, initial);
}
std::optional<FindRequest> MainWindow::AskFind(const FindRequest& current) {
    return dialogs_->AskFind(current);
}
bool MainWindow::Confirm(const char* promptKey) {
    return dialogs_->Confirm(promptKey);
}
void MainWindow::ShowError(const char* promptKey) {
    dialogs_->ShowError(promptKey);
}
bool MainWindow::RunValueDialog(ValueDialog& dialog) {
    return dialogs_->RunValueDialog(dialog);
}
bool MainWindow::RunNoteTransformDialog(NoteTransformForm& form) {
    return dialogs_->RunNoteTransformDialog(form);
}
bool MainWindow::LoadInsertSource(Song& song) {
    return dialogs_->LoadInsertSource(song);
}
bool MainWindow::RunInsertFromFileDialog(InsertFromFileForm& form) {
    return dialogs_->RunInsertFromFileDialog(form);
}
bool MainWindow::RunProgressionDialog(ProgressionForm& form) {
    return dialogs_->RunProgressionDialog(form);
}
std::optional<std::uint32_t> MainWindow::AnchorBeat() const {
    return app_->View().Anchor();
}
void MainWindow::RedrawTrack(std::uint32_t track) {
    app_->View().RedrawTrack(track);
    Refresh(refresh::TrackRow, static_cast<std::int32_t>(track));
}
void MainWindow::TracksAdded() {
    Refresh(refresh::TrackList | refresh::TrackView);
}
bool MainWindow::Ask(ChoosePortForm& form) {
    return dialogs_->AskChoosePort(form);
}
void MainWindow::RunOnScreenKeyboard(OnScreenKeyboardForm& form) {
    dialogs_->RunOnScreenKeyboard(form);
}
bool MainWindow::RunOskLayout(OskLayoutForm& form) {
    return dialogs_->RunOskLayout(form);
}
bool MainWindow::RunInstrumentLists(InstrumentListsForm& form) {
    return dialogs_->RunInstrumentLists(form);
}
bool MainWindow::RunGeneralOptions(GeneralOptionsForm& form) {
    return dialogs_->RunGeneralOptions(form);
}

bool MainWindow::RunExportAudio(ExportAudioForm& form) {
    const Application::ModalGuard guard(*app_);
    ExportAudioDialog dialog(this, app_->Prompts(), &dialogs_->Help(), form);
    return dialog.exec() == QDialog::Accepted;
}
bool MainWindow::RunExportProgress(SongRender& render, const std::string& target) {
    const Application::ModalGuard guard(*app_);
    return kvs::RunExportProgress(this, app_->Prompts(), render, Q(target));
}

void MainWindow::SetHelpFolder(const QString& folder) {
    dialogs_->SetDataFolder(folder);
}

}  // namespace kvs
