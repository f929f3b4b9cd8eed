#include "qt/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QLocale>
#include <QMenuBar>
#include <QMoveEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <algorithm>

#include "core/modfolder/discovery.h"
#include "qt/aboutdialog.h"
#include "qt/browsedialog.h"
#include "qt/filedialog.h"
#include "qt/links.h"
#include "qt/messagebox.h"
#include "qt/optionsdialog.h"
#include "qt/pictures.h"
#include "qt/progresswindow.h"
#include "qt/skin.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

constexpr int kClientWidth = 15330;
constexpr int kClientHeight = 11490;

// The box from (left, top) to (right, bottom), in pixels; right and bottom
// are one past the last pixel.
constexpr QRect span(int left, int top, int right, int bottom) {
  return QRect(left, top, right - left, bottom - top);
}

// The free space the design leaves around each text of the window, in
// pixels: the skin's panels behind them (see docs/DATA.md), up to the
// neighbouring controls. A text wider or taller than its designed box in the
// face the system gave grows into it.
constexpr QRect kModPathRoom = span(44, 256, 690, 303);       // the dark header
constexpr QRect kBrowseRoom = span(428, 288, 488, 336);       // right of the folder box
constexpr QRect kCacheSizeRoom = span(676, 668, 976, 700);    // the light grey card
constexpr QRect kDeleteUnusedRoom = span(64, 668, 668, 700);  // up to the cache size
constexpr QRect kProductLinkRoom = span(2, 740, 502, 766);    // the dark footer band
constexpr QRect kArtistLinkRoom = span(520, 740, 1022, 766);
// The grey tab behind the drag caption, above the list: the shipped skins
// paint it 8 px wider than the caption in an Arial-metric face, so it begins
// at x 704 in English and at 664 in German; it ends above the list.
constexpr QRect kDragCaptionRoom[] = {span(706, 333, 951, 348), span(666, 333, 951, 348)};

QRect dragCaptionRect() {
  return twipsRect(10680, 5040, 3585, 285);
}

constexpr const char* kInitialModPathCaption =
    "Mod Path: (e.g. C:\\Program Files\\Steam\\steam apps\\<username>\\counter-strike\\cstrike)";

// A label of the window: its colour, its font, and where it fits.
template <typename Label>
Label* styleLabel(Label* label, const QRect& designed, const QRect& room, const QFont& font,
                  const QColor& text, int maxLines = 1) {
  label->setAutoFillBackground(false);
  setTextColour(label, text);
  label->setFont(font);
  label->setRoom({designed, room, maxLines});
  return label;
}

}  // namespace

MainWindow::MainWindow(ProgramState& state, MainWindowOptions options, QWidget* parent)
    : QMainWindow(parent), state_(state), options_(std::move(options)) {
  WindowView& view = *this;
  model_ = std::make_unique<WindowModel>(state_, view, decimalSeparator());
  if (!options_.screenHeight) {
    options_.screenHeight = [] {
      const QScreen* screen = QGuiApplication::primaryScreen();
      return screen ? screen->availableGeometry().height() : 0;
    };
  }
  if (!options_.exitNow) options_.exitNow = [] { QCoreApplication::exit(0); };
  if (!options_.endProgram) options_.endProgram = [] { QCoreApplication::exit(0); };
  if (!options_.frameHeight) {
    options_.frameHeight = [this] { return frameGeometry().height() - geometry().height(); };
  }

  setObjectName("frmMain");
  setWindowTitle(kMainCaption);
  fillWithAccentOrange(this);
  loadSkinFont(qs(state_.ApplicationFolder));

  buildMenus();
  buildControls();
  wireRouting();
  applyWindowSize();
  if (options_.runStartUp) model_->start();
}

MainWindow::~MainWindow() = default;

QString MainWindow::settingsPath() const {
  return qs(model_->settings().path());
}

QListWidget* MainWindow::playlistBox() const {
  return lstPlaylist_;
}

// ---- building ---------------------------------------------------------------

void MainWindow::buildMenus() {
  auto action = [this](QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setParent(this);
    a->setObjectName(name);
    return a;
  };
  QMenu* file = menuBar()->addMenu("File");
  file->setObjectName("mnuFile");
  // Each item runs one command of the model.
  auto item = [this, action](QMenu* menu, const char* name, const QString& caption,
                             void (WindowModel::*command)()) {
    QAction* a = action(menu, name, caption);
    connect(a, &QAction::triggered, this, [this, command] { ((*model_).*command)(); });
    return a;
  };
  addCommandControl(Command::AddTrack,
                    item(file, "mnuAddTrack", "Add Track...", &WindowModel::addTrack));
  addCommandControl(Command::AddPlaylist,
                    item(file, "mnuAddPlaylist", "Add Playlist...", &WindowModel::importPlaylist));
  addCommandControl(Command::Remove, item(file, "mnuRemove", "Remove", &WindowModel::removeTracks));
  addCommandControl(Command::SaveScript,
                    item(file, "mnuSaveScript", "Save Script", &WindowModel::saveScript));
  file->addSeparator()->setObjectName("mnuSep1");
  item(file, "mnuExit", "Exit", &WindowModel::exit);

  QMenu* tools = menuBar()->addMenu("Tools");
  tools->setObjectName("mnuOpt");
  mnuDev_ = item(tools, "mnuDev", "Developer", &WindowModel::toggleDeveloper);
  mnuDev_->setCheckable(true);
  addCommandControl(Command::Developer, mnuDev_);
  addCommandControl(Command::Options,
                    item(tools, "mnuOptions", "Options...", &WindowModel::showOptions));
  addCommandControl(
      Command::RemoveFromModFolder,
      item(tools, "mnuRemoveFromMod", "Remove from Mod Folder", &WindowModel::removeFromModFolder));
  QMenu* lang = tools->addMenu("Language");
  lang->setObjectName("mnuLang");
  mnuEnglish_ = action(lang, "mnuEnglish", "English");
  mnuEnglish_->setCheckable(true);
  mnuEnglish_->setChecked(true);
  mnuGerman_ = action(lang, "mnuGerman", "German");
  mnuGerman_->setCheckable(true);
  connect(mnuEnglish_, &QAction::triggered, this, [this] { model_->switchLanguage(kEnglish); });
  connect(mnuGerman_, &QAction::triggered, this, [this] { model_->switchLanguage(kGerman); });
  addCommandControl(Command::English, mnuEnglish_);
  addCommandControl(Command::German, mnuGerman_);

  QMenu* help = menuBar()->addMenu("Help");
  help->setObjectName("mnuHelp");
  item(help, "mnuReadme", "Readme", &WindowModel::openReadme);
  addCommandControl(Command::About, item(help, "mnuAbout", "About...", &WindowModel::showAbout));
}

void MainWindow::addCommandControl(Command command, QObject* control) {
  commandControls_[static_cast<std::size_t>(command)].append(control);
}

void MainWindow::buildControls() {
  surface_ = new ImageWidget("frmMainSurface", this);
  fillWithAccentOrange(surface_);
  setCentralWidget(surface_);

  auto image = [this](const char* name, int l, int t, int w, int h, bool stretch = false) {
    auto* img = new ImageWidget(name, surface_, stretch);
    img->setGeometry(twipsRect(l, t, w, h));
    return img;
  };
  // Created from the bottom of the stack to its top.
  imgPlbg_ = image("imgPlbg", -15, 3240, 15360, 8295);
  imgAdd_ = image("imgAdd", 480, 2490, 2205, 735);
  imgPlaylist_ = image("imgPlaylist", 2685, 2490, 2430, 735);
  imgWriteScript_ = image("imgWriteScript", 7920, 2490, 2475, 735);
  ImageWidget* modFold = image("imgModFold", 10500, 7095, 2250, 300);
  modFold->setPicture(wordsPicture("Mod Folder:", px(2250), px(300)));
  imgRemove_ = image("imgRemove", 5115, 2490, 2805, 735);
  imgAddb_ = image("imgAddb", 13590, 4920, 2205, 735);
  imgPlaylistb_ = image("imgPlaylistb", 13605, 5610, 2430, 735);
  imgRemoveb_ = image("imgRemoveb", 13710, 6120, 2805, 735);
  imgWriteScriptb_ = image("imgWriteScriptb", 13695, 6930, 2490, 735);
  for (ImageWidget* hover : {imgAddb_, imgPlaylistb_, imgRemoveb_, imgWriteScriptb_}) {
    hover->hide();
  }
  imgTitle_ = image("imgTitle", 0, 0, 15360, 2490, true);
  image("imgLeftside", 0, 2490, 480, 735);
  image("imgRightside", 10395, 2490, 4965, 735);

  lblModPath_ = styleLabel(new TextLabel("lblModPath", kInitialModPathCaption, surface_),
                           twipsRect(840, 3960, 6120, 525), kModPathRoom,
                           designFont("Arial", 11.25), kWhite, 2);
  imgEnglish_ = image("imgEnglish", 14400, 60, 375, 210);
  imgEnglish_->setPicture(unionFlagPicture());
  imgGerman_ = image("imgGerman", 14865, 60, 375, 210);
  imgGerman_->setPicture(germanFlagPicture());
  lblVelloran_ = new ClickLabel("lblVelloran", qs(kArtistPageAddress), surface_);
  styleLabel(lblVelloran_, twipsRect(12075, 11205, 3330, 270), kArtistLinkRoom,
             designFont("Verdana", 9.75), kWhite);
  lblTunebelt_ = new ClickLabel("lblTunebelt", qs(kProductPageAddress), surface_);
  styleLabel(lblTunebelt_, twipsRect(45, 11205, 3510, 270), kProductLinkRoom,
             designFont("Verdana", 9.75), kWhite);
  for (QLabel* link : {static_cast<QLabel*>(lblTunebelt_), static_cast<QLabel*>(lblVelloran_)}) {
    link->setCursor(Qt::PointingHandCursor);
  }
  lblBrowse_ = new ClickLabel("lblBrowse", "...", surface_);
  styleLabel(lblBrowse_, twipsRect(6480, 4440, 495, 495), kBrowseRoom, designFont("Arial", 20.25),
             kWhite);
  lblCacheSize_ =
      styleLabel(new TextLabel("lblCacheSize", "Current mp3 cache size: <no mp3 folder>", surface_),
                 twipsRect(10200, 10080, 4200, 285), kCacheSizeRoom,
                 designFont("Arial", 8.25, true), kDarkGrey);
  lblDragCaption_ = styleLabel(
      new TextLabel("lblDragCaption", qs(TextsOf(kEnglish).dragCaption), surface_),
      dragCaptionRect(), kDragCaptionRoom[0], designFont("Arial", 8.25, true, true), kDarkGrey);
  cmdTrackup_ = image("cmdTrackup", 14280, 5280, 375, 375);
  cmdTrackDown_ = image("cmdTrackDown", 14280, 5640, 375, 375);

  // The windowed controls lie above every picture and label.
  cboSteamFolder_ = new QComboBox(surface_);
  cboSteamFolder_->setObjectName("cboSteamFolder");
  cboSteamFolder_->setEditable(true);
  cboSteamFolder_->setInsertPolicy(QComboBox::NoInsert);
  cboSteamFolder_->setCompleter(nullptr);
  cboSteamFolder_->setGeometry(twipsRect(810, 4560, 5610, 360));
  cboSteamFolder_->setFont(designFont("Tahoma", 9.75));
  setColours(cboSteamFolder_, kWhite, kAccentOrange);

  lstPlaylist_ = new PlaylistBox("lstPlaylist", surface_);
  lstPlaylist_->setGeometry(twipsRect(840, 5220, 13335, 4830));
  lstPlaylist_->setFont(designFont("Tahoma", 9.75));
  setColours(lstPlaylist_, kWhite, kAccentOrange);
  setSelectionColours(lstPlaylist_, kWhite, kDarkGrey);  // the skin's charcoal

  chkDelete_ = new CheckBox("chkDelete", qs(TextsOf(kEnglish).deleteUnused), surface_);
  setColours(chkDelete_, kDarkGrey, kLightGrey);
  chkDelete_->setAutoFillBackground(true);
  chkDelete_->setFont(designFont("Arial", 8.25));
  chkDelete_->setRoom({twipsRect(960, 10080, 4935, 255), kDeleteUnusedRoom, 1});

  // Pointer movement over a control stops there: only the pictures that
  // take part in the hover mechanism, and the bare surface, react to it.
  for (QWidget* child : surface_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setAttribute(Qt::WA_NoMousePropagation);
  }

  const std::pair<Command, QWidget*> controls[] = {
      {Command::AddTrack, imgAdd_},           {Command::AddTrack, imgAddb_},
      {Command::AddPlaylist, imgPlaylist_},   {Command::AddPlaylist, imgPlaylistb_},
      {Command::Remove, imgRemove_},          {Command::Remove, imgRemoveb_},
      {Command::SaveScript, imgWriteScript_}, {Command::SaveScript, imgWriteScriptb_},
      {Command::MoveUp, cmdTrackup_},         {Command::MoveDown, cmdTrackDown_},
      {Command::Browse, lblBrowse_},          {Command::English, imgEnglish_},
      {Command::German, imgGerman_}};
  for (auto [command, control] : controls) addCommandControl(command, control);

  setTabOrder(lstPlaylist_, cboSteamFolder_);
  setTabOrder(cboSteamFolder_, chkDelete_);
  lstPlaylist_->setFocus();
}

void MainWindow::wireRouting() {
  // Pointer movement and clicks on the button row go to the model, which
  // says which hover images show.
  const std::pair<RowButton, ImageWidget*> buttons[] = {{RowButton::AddTrack, imgAdd_},
                                                        {RowButton::AddPlaylist, imgPlaylist_},
                                                        {RowButton::Remove, imgRemove_},
                                                        {RowButton::SaveScript, imgWriteScript_}};
  for (auto [button, image] : buttons) {
    ImageWidget* hover = hoverImage(button);
    connect(image, &ImageWidget::pointerMoved, this,
            [this, b = button] { model_->pointerOverButton(b); });
    connect(hover, &ImageWidget::pointerMoved, this,
            [this, b = button] { model_->pointerOverHoverImage(b); });
    connect(image, &ImageWidget::clicked, this,
            [this, b = button] { model_->clickButton(b, false); });
    connect(hover, &ImageWidget::clicked, this,
            [this, b = button] { model_->clickButton(b, true); });
  }
  for (ImageWidget* darkens : {imgTitle_, imgPlbg_, surface_}) {
    connect(darkens, &ImageWidget::pointerMoved, this, [this] { model_->pointerOverBackground(); });
  }

  connect(cmdTrackup_, &ImageWidget::clicked, this, [this] { model_->moveUp(); });
  connect(cmdTrackDown_, &ImageWidget::clicked, this, [this] { model_->moveDown(); });
  connect(imgEnglish_, &ImageWidget::clicked, this, [this] { model_->switchLanguage(kEnglish); });
  connect(imgGerman_, &ImageWidget::clicked, this, [this] { model_->switchLanguage(kGerman); });

  connect(lstPlaylist_, &PlaylistBox::filesDropped, this, [this](const QStringList& paths) {
    std::vector<std::string> names;
    names.reserve(size_t(paths.size()));
    for (const QString& p : paths) names.push_back(p.toStdString());
    model_->dropFiles(names);
  });
  connect(lstPlaylist_, &PlaylistBox::deleteReleased, this, [this] { model_->removeTracks(); });
  connect(lstPlaylist_, &QListWidget::itemSelectionChanged, this,
          [this] { model_->selectionChanged(selection()); });
  connect(cboSteamFolder_, &QComboBox::editTextChanged, this,
          [this](const QString& text) { model_->modFolderEdited(text.toStdString()); });
  connect(cboSteamFolder_, &QComboBox::activated, this,
          [this](int index) { model_->chooseModFolderEntry(index); });
  connect(chkDelete_, &QCheckBox::toggled, this,
          [this](bool checked) { model_->deleteUnusedChanged(checked); });
  connect(lblBrowse_, &ClickLabel::clicked, this, [this] { model_->browseForModFolder(); });
  connect(lblTunebelt_, &ClickLabel::clicked, this, [this] { model_->openProductPage(); });
  connect(lblVelloran_, &ClickLabel::clicked, this, [this] { model_->openArtistPage(); });
}

ImageWidget* MainWindow::hoverImage(RowButton button) const {
  switch (button) {
    case RowButton::AddTrack:
      return imgAddb_;
    case RowButton::AddPlaylist:
      return imgPlaylistb_;
    case RowButton::Remove:
      return imgRemoveb_;
    case RowButton::SaveScript:
      break;
  }
  return imgWriteScriptb_;
}

void MainWindow::applyWindowSize() {
  const int menuHeight = menuBar()->sizeHint().height();
  int height = menuHeight + px(kClientHeight);
  if (shortened_) {
    // The shortened height is the outer one: title bar and borders count.
    appliedFrame_ = options_.frameHeight();
    height = px(kShortenedWindowHeight) - appliedFrame_;
  }
  setFixedSize(px(kClientWidth), height);
}

// The window manager frames the window after it is shown; the window then
// moves to its place inside the frame. Each time the frame turns out other
// than the one the height was worked out with, the height follows.
void MainWindow::refitToFrame() {
  if (shortened_ && options_.frameHeight() != appliedFrame_) applyWindowSize();
}

void MainWindow::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  refitToFrame();
}

// The first paint comes once the window is on the screen, framed and placed
// by the window manager: the question then stands over it, centred on it.
void MainWindow::paintEvent(QPaintEvent* event) {
  QMainWindow::paintEvent(event);
  model_->windowPainted();
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  refitToFrame();
}

// ---- the view: what the model asks of the window ------------------------------

void MainWindow::post(std::function<void()> call) {
  QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
}

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

char decimalSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() > 32 && point[0].unicode() < 127) {
    return point[0].toLatin1();
  }
  return '.';
}

void MainWindow::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
  MessageBox::show(this, qs(text), qs(caption), boxIcon(icon));
}

bool MainWindow::askYesNo(std::string_view text, std::string_view caption) {
  return MessageBox::askYesNo(this, qs(text), qs(caption));
}

YesNoChoice MainWindow::askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                             std::string_view checkBoxText) {
  return MessageBox::askYesNoWithCheckBox(this, qs(text), qs(caption), qs(checkBoxText));
}

std::string MainWindow::chooseOpenFile(std::string_view filter, std::string_view startFolder) {
  const QString chosen = FileDialog::getOpenFileName(this, "Tunebelt - Open", qs(startFolder),
                                                     FileDialog::toQtFilter(qs(filter)));
  return chosen.toStdString();
}

std::vector<std::string> MainWindow::chooseOpenFiles(std::string_view filter,
                                                     std::string_view startFolder) {
  const QStringList chosen = FileDialog::getOpenFileNames(this, "Tunebelt - Open", qs(startFolder),
                                                          FileDialog::toQtFilter(qs(filter)));
  std::vector<std::string> paths;
  paths.reserve(std::size_t(chosen.size()));
  for (const QString& path : chosen) paths.push_back(path.toStdString());
  return paths;
}

Selection MainWindow::selection() const {
  Selection sel(size_t(lstPlaylist_->count()), false);
  for (int i = 0; i < lstPlaylist_->count(); ++i)
    sel[size_t(i)] = lstPlaylist_->item(i)->isSelected();
  return sel;
}

void MainWindow::showPlaylist(const std::vector<std::string>& lines, const PlaylistChange& change) {
  const QSignalBlocker block(lstPlaylist_);  // the model knows the selection it sets
  // Lines before the first changed one stay, with their selection.
  const int keep = std::clamp(change.firstChanged, 0, lstPlaylist_->count());
  while (lstPlaylist_->count() > keep) delete lstPlaylist_->takeItem(lstPlaylist_->count() - 1);
  for (std::size_t i = size_t(keep); i < lines.size(); ++i) lstPlaylist_->addItem(qs(lines[i]));
  if (!change.selection) return;
  if (change.current >= 0 && change.current < lstPlaylist_->count()) {
    lstPlaylist_->setCurrentRow(change.current, QItemSelectionModel::NoUpdate);
  }
  for (int i = 0; i < lstPlaylist_->count(); ++i) {
    const bool selected = size_t(i) < change.selection->size() && (*change.selection)[size_t(i)];
    lstPlaylist_->item(i)->setSelected(selected);
  }
}

// The model measures a text it sets itself; only the player's typing is
// handed back.
void MainWindow::showModFolderText(const std::string& text) {
  const QSignalBlocker block(cboSteamFolder_);
  cboSteamFolder_->setEditText(qs(text));
}

// The list changes; the text stays the mod folder the player has, and no
// item becomes current.
void MainWindow::showModFolderEntries(const std::vector<std::string>& entries) {
  const QSignalBlocker block(cboSteamFolder_);
  const QString text = cboSteamFolder_->currentText();
  cboSteamFolder_->clear();
  for (const std::string& folder : entries) cboSteamFolder_->addItem(qs(folder));
  cboSteamFolder_->setCurrentIndex(-1);
  cboSteamFolder_->setEditText(text);
}

void MainWindow::showModFolderEnabled(bool enabled) {
  cboSteamFolder_->setEnabled(enabled);
}

void MainWindow::showDeleteUnused(bool checked) {
  chkDelete_->setChecked(checked);
}

void MainWindow::showCacheLabel(const std::string& text) {
  lblCacheSize_->setText(qs(text));
}

void MainWindow::showLanguage(int language, const WindowTexts& texts) {
  const bool german = language == kGerman;
  LoadSkin(this, german ? "german" : "english", qs(state_.ApplicationFolder));
  lblModPath_->setText(qs(texts.modPath));
  lblDragCaption_->setRoom({dragCaptionRect(), kDragCaptionRoom[german ? 1 : 0], 1});
  lblDragCaption_->setText(qs(texts.dragCaption));
  chkDelete_->setText(qs(texts.deleteUnused));
  mnuEnglish_->setChecked(!german);
  mnuGerman_->setChecked(german);
}

void MainWindow::showDeveloperMode(bool on) {
  mnuDev_->setChecked(on);
}

void MainWindow::showHoverImage(RowButton button, bool visible) {
  hoverImage(button)->setVisible(visible);
}

void MainWindow::showCommandEnabled(Command command, bool enabled) {
  for (QObject* control : commandControls_[static_cast<std::size_t>(command)]) {
    if (auto* action = qobject_cast<QAction*>(control)) action->setEnabled(enabled);
    if (auto* widget = qobject_cast<QWidget*>(control)) widget->setEnabled(enabled);
  }
}

ProgressWindow* MainWindow::progressWindow() {
  if (!progress_) progress_ = new ProgressWindow(this);
  return progress_;
}

// One that is not open yet opens centred over this window, below its menu
// bar.
void MainWindow::showProgressWindow() {
  ProgressWindow* w = progressWindow();
  if (!w->isVisible()) {
    const QScreen* screen = this->screen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    const QRect frame = frameGeometry();
    // Not framed yet, the progress window is assumed to get this window's frame.
    const QMargins margins(geometry().left() - frame.left(), geometry().top() - frame.top(),
                           frame.right() - geometry().right(),
                           frame.bottom() - geometry().bottom());
    const QSize outer = w->size().grownBy(margins);
    const int menuBottom = menuBar()->mapToGlobal(QPoint(0, menuBar()->height())).y();
    w->move(ProgressWindow::placeOver(frame, menuBottom, outer, available).topLeft());
  }
  w->show();
  w->raise();
}

void MainWindow::showStage(Stage stage) {
  progressWindow()->setStage(stage);
}

void MainWindow::showScriptText(const std::string& text) {
  progressWindow()->setScriptText(qs(text));
}

void MainWindow::showProgressMaximum(int maximum) {
  progressWindow()->setProgressMaximum(maximum);
}

void MainWindow::showProgressValue(int value) {
  progressWindow()->setProgressValue(value);
}

void MainWindow::showProgressCaption(const std::string& caption) {
  progressWindow()->setWindowTitle(qs(caption));
}

void MainWindow::showSaveEnd(const SaveEndState& end) {
  progressWindow()->showEnd(end);
}

void MainWindow::placeHoverImages() {
  imgAddb_->move(imgAdd_->pos());
  imgPlaylistb_->move(imgPlaylist_->pos());
  imgRemoveb_->move(imgRemove_->pos());
  imgWriteScriptb_->move(imgWriteScript_->pos());
}

int MainWindow::screenHeightTwips() {
  return twips(options_.screenHeight());
}

void MainWindow::shortenTo(int) {
  // applyWindowSize takes the outer height from the core's constant and
  // follows the window manager's frame once it is known.
  shortened_ = true;
  applyWindowSize();
}

void MainWindow::openDialog(Dialog dialog) {
  switch (dialog) {
    case Dialog::Options:
      if (!options_dialog_) {
        options_dialog_ = new OptionsDialog(model_->options(), this);
      }
      SecondaryDialog::runModal(options_dialog_);
      return;
    case Dialog::About:
      if (!about_) about_ = new AboutDialog(state_.ApplicationFolder, this);
      SecondaryDialog::runModal(about_);
      return;
    case Dialog::Browse:
      if (!browse_) {
        browse_ = new BrowseDialog(qs(BrowseStartFolder()), this);
        connect(browse_, &BrowseDialog::folderChosen, cboSteamFolder_, &QComboBox::setEditText);
      }
      SecondaryDialog::runModal(browse_);
      return;
  }
}

bool MainWindow::openWebPage(std::string_view address) {
  return OpenWebPage(address);
}

bool MainWindow::openDocument(const std::string& path) {
  return OpenDocument(path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (model_->close()) {
    event->accept();
  } else {
    event->ignore();
  }
}

void MainWindow::closeWindow() {
  close();
}

// Every other window ends with the program, without closing steps of its own.
void MainWindow::endProgram() {
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != this) w->hide();
  }
  options_.endProgram();
}

void MainWindow::exitNow() {
  options_.exitNow();
}

}  // namespace tunebelt::qt
