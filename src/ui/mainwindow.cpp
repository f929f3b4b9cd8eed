#include "ui/mainwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QMenuBar>
#include <QMoveEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "core/modfolder/cachesize.h"
#include "core/modfolder/discovery.h"
#include "core/playlist/import.h"
#include "core/scripts/removal.h"
#include "core/scripts/savescript.h"
#include "core/state/settings.h"
#include "core/state/startup.h"
#include "platform/fs.h"
#include "ui/aboutdialog.h"
#include "ui/browsedialog.h"
#include "ui/links.h"
#include "ui/messagebox.h"
#include "ui/optionsdialog.h"
#include "ui/pictures.h"
#include "ui/progresswindow.h"
#include "ui/skin.h"
#include "ui/style.h"
#include "ui/uihost.h"
#include "ui/units.h"
#include "ui/widgets.h"

namespace tunebelt::ui {

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

struct Captions {
  const char* modPath;
  const char* dragCaption;
  const char* deleteUnused;
};

constexpr Captions kEnglishCaptions = {
    "Mod Path: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)",
    "Drag Files here to add them to the playlist", "Delete unused mp3 files in the mod folder"};

constexpr Captions kGermanCaptions = {
    "Pfad: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)",
    "Files hier her ziehen um sie in die Playlist einzuf\u00fcgen",
    "Unbenutzte mp3 Dateien im Mod Verzeichnis l\u00f6schen"};

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
    : QMainWindow(parent),
      state_(state),
      options_(std::move(options)),
      settings_(SettingsFilePath(state)) {
  host_ = std::make_unique<UiHost>(*this);
  cacheWalk_ = std::make_unique<CacheSizeWalker>(
      [this](std::function<void()> call) {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
      },
      [this](const std::string& text) { lblCacheSize_->setText(qs(text)); });
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
  if (options_.runStartUp) sampleTrackPut_ = RunStartUp(state_, settings_, *host_, *this);
}

MainWindow::~MainWindow() = default;

Host& MainWindow::host() {
  return *host_;
}

QString MainWindow::settingsPath() const {
  return qs(settings_.path());
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
  connect(action(file, "mnuAddTrack", "Add Track..."), &QAction::triggered, this,
          &MainWindow::addTrack);
  connect(action(file, "mnuAddPlaylist", "Add Playlist..."), &QAction::triggered, this,
          &MainWindow::importPlaylist);
  connect(action(file, "mnuRemove", "Remove"), &QAction::triggered, this,
          &MainWindow::removeTracks);
  connect(action(file, "mnuSaveScript", "Save Script"), &QAction::triggered, this,
          &MainWindow::saveScript);
  file->addSeparator()->setObjectName("mnuSep1");
  connect(action(file, "mnuExit", "Exit"), &QAction::triggered, this, &MainWindow::exitProgram);

  QMenu* tools = menuBar()->addMenu("Tools");
  tools->setObjectName("mnuOpt");
  mnuDev_ = action(tools, "mnuDev", "Developer");
  mnuDev_->setCheckable(true);
  connect(mnuDev_, &QAction::triggered, this, &MainWindow::toggleDeveloper);
  connect(action(tools, "mnuOptions", "Options..."), &QAction::triggered, this,
          &MainWindow::showOptions);
  connect(action(tools, "mnuRemoveFromMod", "Remove from Mod Folder"), &QAction::triggered, this,
          &MainWindow::removeFromModFolder);
  QMenu* lang = tools->addMenu("Language");
  lang->setObjectName("mnuLang");
  mnuEnglish_ = action(lang, "mnuEnglish", "English");
  mnuEnglish_->setCheckable(true);
  mnuEnglish_->setChecked(true);
  mnuGerman_ = action(lang, "mnuGerman", "German");
  mnuGerman_->setCheckable(true);
  connect(mnuEnglish_, &QAction::triggered, this, &MainWindow::switchToEnglish);
  connect(mnuGerman_, &QAction::triggered, this, &MainWindow::switchToGerman);

  QMenu* help = menuBar()->addMenu("Help");
  help->setObjectName("mnuHelp");
  connect(action(help, "mnuReadme", "Readme"), &QAction::triggered, this, &MainWindow::openReadme);
  connect(action(help, "mnuAbout", "About..."), &QAction::triggered, this, &MainWindow::showAbout);
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
      new TextLabel("lblDragCaption", kEnglishCaptions.dragCaption, surface_), dragCaptionRect(),
      kDragCaptionRoom[0], designFont("Arial", 8.25, true, true), kDarkGrey);
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

  chkDelete_ = new CheckBox("chkDelete", kEnglishCaptions.deleteUnused, surface_);
  setColours(chkDelete_, kDarkGrey, kLightGrey);
  chkDelete_->setAutoFillBackground(true);
  chkDelete_->setFont(designFont("Arial", 8.25));
  chkDelete_->setRoom({twipsRect(960, 10080, 4935, 255), kDeleteUnusedRoom, 1});

  // Pointer movement over a control stops there: only the pictures that
  // take part in the hover mechanism, and the bare surface, react to it.
  for (QWidget* child : surface_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    child->setAttribute(Qt::WA_NoMousePropagation);
  }

  setTabOrder(lstPlaylist_, cboSteamFolder_);
  setTabOrder(cboSteamFolder_, chkDelete_);
  lstPlaylist_->setFocus();
}

void MainWindow::wireRouting() {
  // Hover: a button lights its own image; a lit image darkens the other
  // three; the title, the playlist background and the bare surface darken
  // all four.
  const std::pair<ImageWidget*, ImageWidget*> buttons[] = {{imgAdd_, imgAddb_},
                                                           {imgPlaylist_, imgPlaylistb_},
                                                           {imgRemove_, imgRemoveb_},
                                                           {imgWriteScript_, imgWriteScriptb_}};
  for (auto [button, hover] : buttons) {
    connect(button, &ImageWidget::pointerMoved, hover, &QWidget::show);
    connect(hover, &ImageWidget::pointerMoved, this, [this, hover = hover] {
      for (ImageWidget* other : {imgAddb_, imgPlaylistb_, imgRemoveb_, imgWriteScriptb_}) {
        if (other != hover) other->hide();
      }
    });
  }
  for (ImageWidget* darkens : {imgTitle_, imgPlbg_, surface_}) {
    connect(darkens, &ImageWidget::pointerMoved, this, &MainWindow::hideHoverImages);
  }

  connect(imgAdd_, &ImageWidget::clicked, this, &MainWindow::addTrack);
  connect(imgAddb_, &ImageWidget::clicked, this, [this] {
    addTrack();
    imgAddb_->hide();
  });
  connect(imgPlaylist_, &ImageWidget::clicked, this, &MainWindow::importPlaylist);
  connect(imgPlaylistb_, &ImageWidget::clicked, this, [this] {
    importPlaylist();
    imgPlaylistb_->hide();
  });
  connect(imgRemove_, &ImageWidget::clicked, this, &MainWindow::removeTracks);
  connect(imgRemoveb_, &ImageWidget::clicked, this, &MainWindow::removeTracks);
  connect(imgWriteScript_, &ImageWidget::clicked, this, &MainWindow::saveScript);
  connect(imgWriteScriptb_, &ImageWidget::clicked, this, &MainWindow::saveScript);
  connect(cmdTrackup_, &ImageWidget::clicked, this, &MainWindow::moveUp);
  connect(cmdTrackDown_, &ImageWidget::clicked, this, &MainWindow::moveDown);
  connect(imgEnglish_, &ImageWidget::clicked, this, &MainWindow::switchToEnglish);
  connect(imgGerman_, &ImageWidget::clicked, this, &MainWindow::switchToGerman);

  connect(lstPlaylist_, &PlaylistBox::filesDropped, this, &MainWindow::dropFiles);
  connect(lstPlaylist_, &PlaylistBox::deleteReleased, this, &MainWindow::removeTracks);
  connect(cboSteamFolder_, &QComboBox::editTextChanged, this, &MainWindow::refreshCacheSize);
  connect(cboSteamFolder_, &QComboBox::activated, this, &MainWindow::refreshCacheSize);
  connect(lblBrowse_, &ClickLabel::clicked, this, &MainWindow::browseForModFolder);
  connect(lblTunebelt_, &ClickLabel::clicked, this, &MainWindow::openProductPage);
  connect(lblVelloran_, &ClickLabel::clicked, this, &MainWindow::openArtistPage);
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
  if (sampleTrackPut_) {
    sampleTrackPut_ = false;
    QTimer::singleShot(0, this, &MainWindow::offerSampleTrackCopy);
  }
}

void MainWindow::offerSampleTrackCopy() {
  OfferSampleTrackCopy(state_, settings_, *host_);
}

void MainWindow::moveEvent(QMoveEvent* event) {
  QMainWindow::moveEvent(event);
  refitToFrame();
}

// ---- start-up and shut-down -------------------------------------------------

void MainWindow::turnOffDeveloperMenu() {
  mnuDev_->setChecked(false);
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

void MainWindow::showSettings(const std::vector<std::string>& folders, bool deleteUnused) {
  {
    const QSignalBlocker block(cboSteamFolder_);
    for (const std::string& folder : folders) cboSteamFolder_->addItem(qs(folder));
    cboSteamFolder_->setCurrentIndex(-1);
    cboSteamFolder_->clearEditText();
  }
  rememberedItems_ = int(folders.size());
  chkDelete_->setChecked(deleteUnused);
}

void MainWindow::offerModFolders(const std::vector<std::string>& folders) {
  const QSignalBlocker block(cboSteamFolder_);
  const QString text = cboSteamFolder_->currentText();
  for (const std::string& folder : folders) cboSteamFolder_->addItem(qs(folder));
  cboSteamFolder_->setCurrentIndex(-1);
  cboSteamFolder_->setEditText(text);
}

void MainWindow::addRememberedFolder(const QString& folder) {
  // Adding an item may select it; the text stays the mod folder the user
  // has, and no item becomes current.
  QComboBox* box = cboSteamFolder_;
  const QSignalBlocker block(box);
  const QString text = box->currentText();
  const int index = box->currentIndex();
  const int offered = box->findText(folder, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (offered >= rememberedItems_) box->removeItem(offered);
  box->insertItem(rememberedItems_++, folder);
  if (box->currentIndex() != index) box->setCurrentIndex(index);
  if (box->currentText() != text) box->setEditText(text);
}

void MainWindow::applyLanguage(int language) {
  switchLanguage(language);
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (saving_) {
    // The close comes once the save is done, so the settings it writes hold
    // the folder the save remembers.
    closeAfterSave_ = true;
    event->ignore();
    return;
  }
  event->accept();
  if (exiting_ || shutDown_) return;
  shutDown_ = true;
  RunShutDown(state_, settings_, chkDelete_->isChecked(), *host_);
  // Every other window ends with the program, without closing steps of its own.
  for (QWidget* w : QApplication::topLevelWidgets()) {
    if (w != this) w->hide();
  }
  options_.endProgram();
}

void MainWindow::exitProgram() {
  if (saving_) {
    exitAfterSave_ = true;
    return;
  }
  exiting_ = true;
  options_.exitNow();
}

// ---- commands ---------------------------------------------------------------

void MainWindow::hideHoverImages() {
  for (ImageWidget* hover : {imgAddb_, imgPlaylistb_, imgRemoveb_, imgWriteScriptb_}) {
    hover->hide();
  }
}

void MainWindow::addTrack() {
  if (saving_) return;
  hideHoverImages();
  AddTrackCommand(state_, *host_);
}

void MainWindow::importPlaylist() {
  if (saving_) return;
  hideHoverImages();
  ImportPlaylistCommand(state_, *host_);
}

void MainWindow::dropFiles(const QStringList& paths) {
  if (saving_) return;
  std::vector<std::string> names;
  names.reserve(size_t(paths.size()));
  for (const QString& p : paths) names.push_back(p.toStdString());
  DropCommand(state_, names, *host_);
}

void MainWindow::removeTracks() {
  if (saving_) return;
  hideHoverImages();
  RemoveSelected(state_, selection(), *host_);
}

void MainWindow::moveUp() {
  if (saving_) return;
  MoveSelectedUp(state_, selection(), *host_);
}

void MainWindow::moveDown() {
  if (saving_) return;
  MoveSelectedDown(state_, selection(), *host_);
}

Selection MainWindow::selection() const {
  Selection sel(size_t(lstPlaylist_->count()), false);
  for (int i = 0; i < lstPlaylist_->count(); ++i)
    sel[size_t(i)] = lstPlaylist_->item(i)->isSelected();
  return sel;
}

void MainWindow::showPlaylist(const std::vector<std::string>& lines, const PlaylistChange& change) {
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

void MainWindow::saveScript() {
  if (saving_) return;
  saving_ = true;
  std::string modFolder = cboSteamFolder_->currentText().toStdString();
  SaveOptions options;
  options.plan.deleteUnused = chkDelete_->isChecked();
  options.decimalSeparator = decimalSeparator();
  SaveScript(state_, modFolder, options, *host_);
  saving_ = false;
  closeIfAskedMeanwhile();
}

// What the user asked for while a save or a removal ran.
void MainWindow::closeIfAskedMeanwhile() {
  if (exitAfterSave_) {
    exitProgram();
  } else if (closeAfterSave_) {
    close();
  }
}

// Runs like a save: other commands, closing and Exit wait for it.
void MainWindow::removeFromModFolder() {
  if (saving_) return;
  saving_ = true;
  std::string modFolder = cboSteamFolder_->currentText().toStdString();
  AskAndRemoveFromModFolder(state_, modFolder, decimalSeparator(), *host_);
  saving_ = false;
  closeIfAskedMeanwhile();
}

// The walk runs on a thread of its own; the label follows when it ends.
void MainWindow::refreshCacheSize() {
  cacheWalk_->request(cboSteamFolder_->currentText().toStdString(), state_.Language,
                      decimalSeparator());
}

void MainWindow::showCacheLabel(const QString& text) {
  cacheWalk_->cancel();
  lblCacheSize_->setText(text);
}

void MainWindow::browseForModFolder() {
  if (saving_) return;  // the mod folder stays as the running save has it
  if (!browse_) {
    browse_ = new BrowseDialog(qs(BrowseStartFolder()), this);
    connect(browse_, &BrowseDialog::folderChosen, cboSteamFolder_, &QComboBox::setEditText);
  }
  SecondaryDialog::runModal(browse_);
}

ProgressWindow* MainWindow::progressWindow() {
  if (!progress_) progress_ = new ProgressWindow(this);
  return progress_;
}

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

// ---- language ---------------------------------------------------------------

void MainWindow::switchToEnglish() {
  switchLanguage(kEnglish);
}

void MainWindow::switchToGerman() {
  switchLanguage(kGerman);
}

void MainWindow::switchLanguage(int language) {
  if (saving_) return;
  const bool german = language == kGerman;
  LoadSkin(this, german ? "german" : "english", qs(state_.ApplicationFolder));
  const Captions& c = german ? kGermanCaptions : kEnglishCaptions;
  lblModPath_->setText(QString::fromUtf8(c.modPath));
  lblDragCaption_->setRoom({dragCaptionRect(), kDragCaptionRoom[german ? 1 : 0], 1});
  lblDragCaption_->setText(QString::fromUtf8(c.dragCaption));
  chkDelete_->setText(QString::fromUtf8(c.deleteUnused));
  state_.Language = german ? kGerman : kEnglish;
  mnuEnglish_->setChecked(!german);
  mnuGerman_->setChecked(german);
  refreshCacheSize();
}

// ---- small commands wired elsewhere -----------------------------------------

void MainWindow::showOptions() {
  if (saving_) return;
  if (!options_dialog_) {
    options_dialog_ = new OptionsDialog(state_, settingsPath().toStdString(), *host_, this);
  }
  SecondaryDialog::runModal(options_dialog_);
}

void MainWindow::showAbout() {
  if (saving_) return;
  if (!about_) about_ = new AboutDialog(state_.ApplicationFolder, this);
  SecondaryDialog::runModal(about_);
}

void MainWindow::openReadme() {
  OpenReadme(state_.ApplicationFolder, *host_);
}

void MainWindow::toggleDeveloper() {
  if (saving_) {
    mnuDev_->setChecked(state_.DebugMode == 1);  // the check mark stays as it was
    return;
  }
  if (state_.DebugMode == 1) {
    state_.DebugMode = 0;
    mnuDev_->setChecked(false);
  } else {
    state_.DebugMode = 1;
    mnuDev_->setChecked(true);
  }
}

void MainWindow::openProductPage() {
  OpenWebPage(kProductPageAddress);
}

void MainWindow::openArtistPage() {
  OpenWebPage(kArtistPageAddress);
}

}  // namespace tunebelt::ui
