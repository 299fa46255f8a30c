#include "ui/main_window.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <algorithm>

#include "app/window_growth.h"
#include "core/control_names.h"
#include "core/window_layout.h"
#include "runtime/encoding.h"
#include "ui/box_filler.h"
#include "ui/folder_line_edit.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

QString Q(std::string_view utf8) { return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())); }

// A tooltip as rich text, so that a long one wraps into a few lines.
QString TipText(const QString& plain) { return plain.isEmpty() ? plain : "<p>" + plain.toHtmlEscaped() + "</p>"; }

std::string Name(const QObject* o) { return o->objectName().toStdString(); }

// The user's guide: PREFIX/share/doc/quillmere/docs beside PREFIX/bin, where
// both an installation and the build folder keep it.
QString GuideAddress() {
  QFileInfo guide(QCoreApplication::applicationDirPath() + "/../share/doc/quillmere/docs/guide.html");
  return QUrl::fromLocalFile(guide.exists() ? guide.canonicalFilePath() : guide.absoluteFilePath()).toString();
}

// Where the hyperlinks lead.
QString LinkAddress(std::string_view name) {
  if (name == controls::kGuideLink) return GuideAddress();
  return QStringLiteral(
      "https://learn.microsoft.com/en-us/previous-versions/windows/desktop/htmlhelp/"
      "microsoft-html-help-1-4-sdk");
}

// A multi-line box's Text as the widget shows it: CR LF becomes LF.
QString DisplayText(const Text& text, bool multi_line) {
  std::string utf8 = WindowText(text);
  if (multi_line) {
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
      if (utf8[i] == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
      out.push_back(utf8[i]);
    }
    utf8.swap(out);
  }
  return QString::fromStdString(utf8);
}

// What the user typed, as a Text; lines of multi-line boxes end in CR LF.
Text TypedText(const QString& shown, bool multi_line) {
  std::string utf8 = shown.toStdString();
  if (!multi_line) return TextFromWindow(utf8);
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 16);
  for (char c : utf8) {
    if (c == '\n') out += "\r\n";
    else out.push_back(c);
  }
  return TextFromWindow(out);
}

bool IsFolderBox(std::string_view name) {
  for (const FolderBox& f : FolderBoxes()) {
    if (f.box == name) return true;
  }
  return false;
}

}  // namespace

MainWindow::MainWindow(TreeModel& tree, WindowEvents& events)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      tree_(tree),
      events_(events) {
  setObjectName("MainWindow");
  setWindowTitle(Q(kWindowTitle));
  // The start size is the smallest; the window grows from there.
  setMinimumSize(kClientWidth, kClientHeight);
  resize(kClientWidth, kClientHeight);
  filler_ = new BoxFiller(setting_text_, this);
  Build();
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::Build() {
  auto* radios = new QButtonGroup(this);
  radios->setExclusive(true);
  for (const ControlInfo& entry : WindowControls()) {
    QWidget* parent = this;
    if (entry.parent == kWebPage) parent = pages_[0];
    else if (entry.parent == kChmPage) parent = pages_[1];
    else if (!entry.parent.empty()) parent = Control(entry.parent);
    QWidget* w = MakeControl(entry, parent);
    if (!w) continue;
    w->setObjectName(Q(entry.name));
    controls_.emplace(std::string(entry.name), w);
    QRect rect(entry.left, entry.top, entry.width, entry.height);
    if (entry.kind == ControlKind::kRadioButton || entry.kind == ControlKind::kCheckBox) {
      // The indicator of this style is wider than the classic one: a box
      // grows to the right just enough to show its whole caption.
      rect.setWidth(std::max(rect.width(), w->sizeHint().width()));
    }
    // Page controls are placed again by PlacePageControls once the tab
    // control has laid out its pages.
    w->setGeometry(rect);
    w->setToolTip(TipText(Q(entry.tooltip)));
    w->setEnabled(!entry.disabled);
    if (entry.hidden) w->hide();
    if (entry.kind == ControlKind::kRadioButton) radios->addButton(static_cast<QRadioButton*>(w));
  }
  for (const FolderBox& f : FolderBoxes()) {
    AddFolderChooser(f.box);
    UpdateFolderTip(f.box);
  }
  status_ = new QLabel(tabs_);
  status_->setObjectName(QStringLiteral("状态栏"));
  status_->setContentsMargins(8, 0, 8, 0);
  QPalette p = status_->palette();
  p.setColor(QPalette::WindowText, QColor(128, 0, 0));
  status_->setPalette(p);
  tabs_->setCornerWidget(status_, Qt::TopRightCorner);
}

void MainWindow::UpdateFolderTip(std::string_view name) {
  auto it = edits_.find(name);
  const ControlInfo* entry = FindControl(name);
  if (it == edits_.end() || !it->second.line || !entry || !IsFolderBox(name)) return;
  QString tip = TipText(Q(entry->tooltip));
  const QString path = it->second.line->text();
  if (!path.isEmpty() && path != Q(entry->text)) tip = TipText(path) + tip;
  it->second.line->setToolTip(tip);
}

void MainWindow::ShowStatus(const QString& text) {
  status_->setText(text);
  status_->setToolTip(text);
}

QString MainWindow::Status() const { return status_->text(); }

void MainWindow::ShowTitle(const Text& title) { setWindowTitle(QString::fromStdString(WindowText(title))); }

// The "…" button at the right end of the box and an entry at the top of
// its context menu open a folder chooser.
void MainWindow::AddFolderChooser(std::string_view name) {
  auto* box = qobject_cast<QLineEdit*>(Control(name));
  if (!box) return;
  const std::string box_name(name);
  QPixmap dots(16, 16);
  dots.fill(Qt::transparent);
  {
    QPainter painter(&dots);
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.setFont(font());
    painter.drawText(dots.rect(), Qt::AlignCenter, QStringLiteral("…"));
  }
  auto* choose = box->addAction(QIcon(dots), QLineEdit::TrailingPosition);
  choose->setObjectName(QStringLiteral("选择文件夹"));
  choose->setToolTip(QStringLiteral("选择文件夹…"));
  connect(choose, &QAction::triggered, this, [this, box_name] { AskForFolder(box_name); });
  box->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(box, &QWidget::customContextMenuRequested, this, [this, box, box_name](const QPoint& at) {
    std::unique_ptr<QMenu> menu(box->createStandardContextMenu());
    QAction* entry = new QAction(QStringLiteral("选择文件夹…"), menu.get());
    connect(entry, &QAction::triggered, this, [this, box_name] { AskForFolder(box_name); });
    menu->insertAction(menu->actions().value(0), entry);
    menu->insertSeparator(menu->actions().value(1));
    menu->exec(box->mapToGlobal(at));
  });
}

void MainWindow::AskForFolder(std::string_view box) {
  QString start = QString::fromStdString(NativeName(EditText(box)));
  if (!QFileInfo(start).isDir()) start = QDir::homePath();
  QString folder = QFileDialog::getExistingDirectory(this, QStringLiteral("选择文件夹"), start);
  if (!folder.isEmpty()) ChooseFolder(box, folder.toStdString());
}

void MainWindow::ChooseFolder(std::string_view box, const std::string& folder) {
  for (const FolderBox& f : FolderBoxes()) {
    if (f.box != box) continue;
    if (QAbstractButton* radio = Button(f.radio); radio && !radio->isChecked()) radio->click();
    DropFiles(box, {folder});
  }
}

void MainWindow::CaretToEnd(std::string_view name) {
  auto it = edits_.find(name);
  if (it == edits_.end()) return;
  if (it->second.line) {
    it->second.line->end(false);
  } else {
    filler_->Finish(it->second.multi);
    it->second.multi->moveCursor(QTextCursor::End);
  }
}

QWidget* MainWindow::MakeTabs(QWidget* parent) {
  tabs_ = new QTabWidget(parent);
  for (int i = 0; i < 2; ++i) {
    pages_[i] = new QWidget;
    pages_[i]->setObjectName(Q(i == 0 ? kWebPage : kChmPage));
    tabs_->addTab(pages_[i], Q(i == 0 ? kWebPage : kChmPage));
    pages_[i]->installEventFilter(this);
    pages_[i]->parentWidget()->installEventFilter(this);
  }
  tabs_->setCurrentIndex(0);
  return tabs_;
}

QWidget* MainWindow::MakeButton(const ControlInfo& entry, QWidget* parent) {
  const QString text = Q(entry.text);
  const std::string name(entry.name);
  QAbstractButton* b;
  if (entry.kind == ControlKind::kRadioButton) {
    b = new QRadioButton(text, parent);
    // Drawn over the top edge of its group box, which it interrupts.
    b->setAutoFillBackground(true);
  } else if (entry.kind == ControlKind::kCheckBox) {
    b = new QCheckBox(text, parent);
  } else {
    auto* push = new QPushButton(text, parent);
    push->setAutoDefault(false);
    b = push;
  }
  connect(b, &QAbstractButton::clicked, this, [this, name] { events_.OnClicked(name); });
  return b;
}

QWidget* MainWindow::MakeControl(const ControlInfo& entry, QWidget* parent) {
  const QString text = Q(entry.text);
  const std::string name(entry.name);
  switch (entry.kind) {
    case ControlKind::kTabControl: return MakeTabs(parent);
    case ControlKind::kRadioButton:
    case ControlKind::kCheckBox:
    case ControlKind::kButton: return MakeButton(entry, parent);
    case ControlKind::kGroupBox: return new QGroupBox(parent);
    case ControlKind::kLabel: {
      auto* l = new QLabel(text, parent);
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return l;
    }
    case ControlKind::kHyperlink: {
      auto* l = new QLabel(parent);
      l->setText(QStringLiteral("<a href=\"%1\">%2</a>").arg(LinkAddress(entry.name), text.toHtmlEscaped()));
      l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      l->setWordWrap(true);
      l->setOpenExternalLinks(true);
      l->setTextInteractionFlags(Qt::TextBrowserInteraction);
      return l;
    }
    case ControlKind::kEditBox:
      MakeEditBox(entry, parent);
      return edits_.at(name).line ? static_cast<QWidget*>(edits_.at(name).line)
                                  : static_cast<QWidget*>(edits_.at(name).multi);
    case ControlKind::kTreeBox: {
      tree_box_ = new TreeBox(tree_, parent);
      QPalette p = tree_box_->palette();
      p.setColor(QPalette::Base, QColor(236, 236, 236));
      p.setColor(QPalette::Text, Qt::black);
      tree_box_->setPalette(p);
      tree_box_->SetAlwaysShowSelection(false);
      tree_box_->SetDragListener([this](int item, int onto) { events_.OnTreeItemDragged(item, onto); });
      return tree_box_;
    }
    case ControlKind::kTimer: {
      timer_ = new QTimer(this);
      timer_->setObjectName(Q(entry.name));
      connect(timer_, &QTimer::timeout, this, [this, name] { events_.OnTimerTick(name); });
      return nullptr;
    }
    case ControlKind::kDropTarget: return nullptr;
    case ControlKind::kWebView: {
      // The web view is left out; its place beyond the right edge is kept.
      auto* w = new QWidget(parent);
      return w;
    }
  }
  return nullptr;
}

void MainWindow::MakeEditBox(const ControlInfo& entry, QWidget* parent) {
  const std::string name(entry.name);
  EditBox box;
  box.text = Gbk(entry.text);
  QWidget* widget;
  if (entry.style.multi_line) {
    auto* e = new QPlainTextEdit(parent);
    e->setLineWrapMode(entry.style.horizontal_scroll_bar ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // Tab moves the focus on; it never goes into a file name.
    e->setTabChangesFocus(true);
    e->setHorizontalScrollBarPolicy(entry.style.horizontal_scroll_bar ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    e->setPlainText(DisplayText(box.text, true));
    connect(e, &QPlainTextEdit::textChanged, this, [this, name] {
      if (!setting_text_) edits_.at(name).edited = true;
    });
    box.multi = e;
    widget = e;
  } else {
    auto* e = IsFolderBox(name) ? new FolderLineEdit(parent) : new QLineEdit(parent);
    e->setText(DisplayText(box.text, false));
    e->setCursorPosition(0);
    connect(e, &QLineEdit::textEdited, this, [this, name] {
      edits_.at(name).edited = true;
      UpdateFolderTip(name);
    });
    box.line = e;
    widget = e;
  }
  QPalette p = widget->palette();
  if (entry.style.grey_background) p.setColor(QPalette::Base, QColor(236, 236, 236));
  p.setColor(QPalette::Text, entry.style.dark_red_text ? QColor(128, 0, 0) : QColor(Qt::black));
  widget->setPalette(p);
  edits_.emplace(name, std::move(box));
}

QWidget* MainWindow::Control(std::string_view name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

QAbstractButton* MainWindow::Button(std::string_view name) const {
  return qobject_cast<QAbstractButton*>(Control(name));
}

Text MainWindow::EditText(std::string_view name) const {
  auto it = edits_.find(name);
  if (it == edits_.end()) return {};
  EditBox& box = it->second;
  if (!box.edited) return box.text;
  return box.multi ? TypedText(box.multi->toPlainText(), true) : TypedText(box.line->text(), false);
}

void MainWindow::SetEditText(std::string_view name, const Text& text) {
  auto it = edits_.find(name);
  if (it == edits_.end()) return;
  EditBox& box = it->second;
  box.text = text;
  box.edited = false;
  if (box.multi) {
    filler_->Fill(box.multi, DisplayText(text, true));
  } else {
    setting_text_ = true;
    box.line->setText(DisplayText(text, false));
    box.line->setCursorPosition(0);
    setting_text_ = false;
    UpdateFolderTip(name);
  }
}

void MainWindow::SetTimerInterval(int milliseconds) {
  if (milliseconds < 0) milliseconds = 0;
  if (milliseconds == interval_) return;
  interval_ = milliseconds;
  if (milliseconds == 0) {
    timer_->stop();
  } else {
    timer_->start(milliseconds);
  }
}

void MainWindow::Settle() { tree_box_->Model().Settle(); }

void MainWindow::RegisterDropArea(std::string_view drop_target, std::string_view control) {
  QWidget* area = Control(control);
  if (!area) return;
  area->setAcceptDrops(true);
  drop_areas_.Register(drop_target, control);
}

std::string_view MainWindow::DropTargetAt(QWidget* widget) const {
  std::vector<std::string> chain;
  for (QWidget* w = widget; w && w != this; w = w->parentWidget()) chain.push_back(Name(w));
  return drop_areas_.TargetFor(chain);
}

void MainWindow::DropFiles(std::string_view name, const std::vector<std::string>& paths) {
  QWidget* control = Control(name);
  if (!control) return;
  QWidget* root = this;
  for (QWidget* w = control->parentWidget(); w; w = w->parentWidget()) {
    if (w == pages_[0] || w == pages_[1]) root = w;
  }
  QPoint middle = control->mapTo(root, control->rect().center());
  QWidget* target = root->childAt(middle);
  if (!target) target = root;
  // Like the system, deliver to the innermost widget that takes drops.
  while (target != root && !target->acceptDrops()) target = target->parentWidget();
  QPointF local = target->mapFrom(root, middle);

  QMimeData mime;
  mime.setData("text/uri-list", QByteArray::fromStdString(UriListFromLocalPaths(paths)));
  QDragEnterEvent enter(local.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  if (!enter.isAccepted()) return;
  QDropEvent drop(local, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
}

void MainWindow::Centre() {
  QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect area = screen->availableGeometry();
  QRect frame = frameGeometry();
  move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

void MainWindow::PlacePageControls() {
  if (!tabs_) return;
  const int extra_width = width() - kClientWidth, extra_height = height() - kClientHeight;
  for (const ControlInfo& entry : WindowControls()) {
    QWidget* w = Control(entry.name);
    if (!w) continue;
    const ControlRect r = GrownRect(entry, extra_width, extra_height);
    QRect rect(r.left, r.top, r.width, r.height);
    if (entry.kind == ControlKind::kRadioButton || entry.kind == ControlKind::kCheckBox) {
      // The indicator of this style is wider than the classic one: a box
      // grows to the right just enough to show its whole caption.
      rect.setWidth(std::max(rect.width(), w->sizeHint().width()));
    }
    if (entry.parent == kWebPage || entry.parent == kChmPage) {
      QWidget* page = pages_[entry.parent == kWebPage ? 0 : 1];
      rect.translate(-page->mapTo(tabs_, QPoint(0, 0)));
    }
    if (w->geometry() != rect) w->setGeometry(rect);
  }
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlacePageControls();
}

bool MainWindow::Mine(QObject* object) const {
  auto* w = qobject_cast<QWidget*>(object);
  return w && w->window() == this;
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
      if (watched == pages_[0] || watched == pages_[1] || (pages_[0] && watched == pages_[0]->parentWidget())) {
        PlacePageControls();
      }
      break;
    case QEvent::KeyPress:
      // Esc closes the window from every control; no control takes it.
      if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && Mine(watched)) {
        close();
        return true;
      }
      if (watched == tree_box_ && TreeShortcut(static_cast<QKeyEvent*>(event))) return true;
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      if (Mine(watched)) return HandleWindowDrag(static_cast<QWidget*>(watched), event);
      break;
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      if (Mine(watched)) return HandleDrag(static_cast<QWidget*>(watched), event);
      break;
    default: break;
  }
  return QWidget::eventFilter(watched, event);
}

bool MainWindow::HandleWindowDrag(QWidget* receiver, QEvent* event) {
  auto* mouse = static_cast<QMouseEvent*>(event);
  if (event->type() == QEvent::MouseButtonPress) {
    const ControlInfo* entry = FindControl(Name(receiver));
    bool grips =
        receiver == this || (entry && (entry->kind == ControlKind::kLabel || entry->kind == ControlKind::kGroupBox));
    if (!grips || mouse->button() != Qt::LeftButton) return false;
    if (windowHandle() && windowHandle()->startSystemMove()) return true;
    // Without the window manager's help the window follows the mouse.
    dragging_window_ = true;
    drag_offset_ = mouse->globalPosition().toPoint() - frameGeometry().topLeft();
    return true;
  }
  if (!dragging_window_) return false;
  if (event->type() == QEvent::MouseMove) {
    move(mouse->globalPosition().toPoint() - drag_offset_);
  } else {
    dragging_window_ = false;
  }
  return true;
}

bool MainWindow::HandleDrag(QWidget* receiver, QEvent* event) {
  auto* drop = static_cast<QDropEvent*>(event);
  std::vector<std::string> chain;
  for (QWidget* w = receiver; w && w != this; w = w->parentWidget()) chain.push_back(Name(w));
  const QMimeData* mime = drop->mimeData();
  std::vector<std::string> paths;
  if (mime && mime->hasFormat("text/uri-list"))
    paths = LocalPathsFromUriList(mime->data("text/uri-list").toStdString());
  bool tool_selected = false;
  for (const FolderBox& f : FolderBoxes()) {
    if (QAbstractButton* radio = Button(f.radio); radio && radio->isChecked()) tool_selected = true;
  }
  const DropPlan plan = PlanDrop(drop_areas_, chain, !paths.empty(), tool_selected);
  // While the user drags over the window the status line already says why
  // a drop there would not be used.
  ShowStatus(Q(plan.refusal));
  if (plan.target.empty()) {
    // Nobody takes the drop (and an edit box does not paste it as text).
    drop->ignore();
    return true;
  }
  drop->setDropAction(Qt::CopyAction);
  drop->accept();
  if (event->type() != QEvent::Drop) return true;
  std::vector<Text> texts;
  texts.reserve(paths.size());
  for (const std::string& p : paths) texts.push_back(TextFromNativeName(p));
  Text dropped = JoinDroppedPaths(texts);
  // The handler runs once the file manager has been told the drop is done;
  // a drop on a tool's folder box selects that tool first.
  QMetaObject::invokeMethod(
      this,
      [this, target = std::string(plan.target), radio_name = std::string(plan.radio), dropped] {
        if (QAbstractButton* radio = Button(radio_name); radio && !radio->isChecked()) radio->click();
        events_.OnFilesDropped(target, dropped);
      },
      Qt::QueuedConnection);
  return true;
}

bool MainWindow::TreeShortcut(QKeyEvent* key) {
  std::string_view button;
  const bool control = key->modifiers() & Qt::ControlModifier;
  if (key->key() == Qt::Key_Delete && !control) button = chm::kDeleteItemButton;
  else if (key->key() == Qt::Key_Up && control) button = chm::kMoveUpButton;
  else if (key->key() == Qt::Key_Down && control) button = chm::kMoveDownButton;
  else if (key->key() == Qt::Key_Z && control) button = chm::kUndoButton;
  QAbstractButton* b = Button(button);
  if (!b) return false;
  if (b->isEnabled()) b->click();
  return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!events_.MayClose()) {
    event->ignore();
    return;
  }
  event->accept();
  events_.OnWindowClosed();
}

}  // namespace qm
