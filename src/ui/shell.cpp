#include "ui/shell.h"

#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "app/event_bindings.h"
#include "app/startup.h"
#include "app/window_title.h"
#include "chm/tree_editing.h"
#include "chm/tree_history.h"
#include "core/control_names.h"
#include "runtime/encoding.h"
#include "ui/tree_box.h"

namespace qm {
namespace {

// The compiler front must be runnable from the system directory.
void MakeExecutable(const Text& path) {
  std::error_code ec;
  namespace fs = std::filesystem;
  fs::permissions(NativeName(path), fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
}

std::vector<std::string> ProgramFolders() {
  // A bare program name is found beside the main program, then where an
  // installation keeps the helpers (PREFIX/libexec/quillmere), then in the
  // system directory.
  return {OwnFolder(), HelperFolder(), NativeName(SpecialFolderPath(10))};
}

// Where the helper programs' output goes: the user's state folder.
std::string LogFolder() {
  const char* state = std::getenv("XDG_STATE_HOME");
  const char* home = std::getenv("HOME");
  std::string folder = state && *state ? state : (home && *home ? std::string(home) + "/.local/state" : "");
  if (folder.empty()) return {};
  folder += "/quillmere";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  return ec ? std::string() : folder;
}

}  // namespace

Shell::Shell(std::function<void(const std::string&)> print) : processes_(ProgramFolders()), print_(std::move(print)) {
  processes_.SetLogFolder(LogFolder());
}

Shell::~Shell() {
  tree_.SetSelectionListener(nullptr);
  window_.reset();
  ReleaseProgramState(state_);
}

void Shell::Start() {
  window_ = std::make_unique<MainWindow>(tree_, *this);
  controls_ = std::make_unique<QtControls>(*window_, print_);
  Progress* progress = &quiet_progress_;
  if (!print_) {
    progress_dialog_ = std::make_unique<ProgressDialog>(*window_);
    controls_->SetBeforeMessage([this] { progress_dialog_->Close(); });
    progress = progress_dialog_.get();
  }
  processes_.SetProgress(progress);
  ctx_ = std::make_unique<Context>(
      Context{fs_, *controls_, *controls_, *controls_, processes_, tree_, random_, state_, *progress});
  tree_.SetSelectionListener([this](int how) { Dispatch([&] { RunSelectionEvent(*ctx_, chm::kTree, how); }); });
  Dispatch([&] {
    // The working files travel beside the program in the build tree and in
    // the helper folder of an installation.
    std::string own = OwnFolder();
    std::string carried = std::filesystem::exists(own + "/hhc.exe") ? own : HelperFolder();
    OnMainWindowCreated(*ctx_, *window_, LoadWorkingFiles(fs_, TextFromNativeName(carried)), &MakeExecutable);
  });
  window_->show();
  window_->Centre();
  window_->PlacePageControls();
}

template <typename F>
void Shell::Dispatch(F&& operation) {
  if (depth_ == 0) {
    if (progress_dialog_) progress_dialog_->Begin();
    else quiet_progress_.Reset();
  }
  ++depth_;
  operation();
  --depth_;
  if (depth_ > 0) return;
  if (progress_dialog_) progress_dialog_->Close();
  if (window_) {
    window_->Settle();
    // The title bar names the open folder or book; the tree marks the home
    // page.
    window_->ShowTitle(WindowTitleFor(ctx_->controls.GetText(chm::kFolderBox)));
    window_->Tree().Model().MarkHomePage(HomePageItem(*ctx_));
  }
  if (!deferred_drops_.empty()) {
    // A drop that arrived while the operation ran is handled after it.
    auto drop = deferred_drops_.front();
    deferred_drops_.erase(deferred_drops_.begin());
    QTimer::singleShot(0, window_.get(), [this, drop] { OnFilesDropped(drop.first, drop.second); });
  }
}

void Shell::OpenPaths(const std::vector<std::string>& paths) {
  std::vector<std::string> absolute;
  for (const std::string& p : paths) {
    std::error_code ec;
    std::filesystem::path a = std::filesystem::absolute(p, ec);
    absolute.push_back(ec ? p : a.lexically_normal().string());
  }
  window_->Tabs().setCurrentIndex(1);
  window_->DropFiles(chm::kFolderBox, absolute);
}

void Shell::OnClicked(std::string_view control) {
  Dispatch([&] { RunBoundEvent(*ctx_, control, EventKind::kClick); });
}

void Shell::OnTimerTick(std::string_view timer) {
  if (depth_ > 0) return;
  Dispatch([&] { RunBoundEvent(*ctx_, timer, EventKind::kTick); });
}

void Shell::OnFilesDropped(std::string_view drop_target, const Text& dropped) {
  if (depth_ > 0) {
    deferred_drops_.emplace_back(std::string(drop_target), dropped);
    return;
  }
  Dispatch([&] { RunDropEvent(*ctx_, drop_target, dropped); });
}

bool Shell::MayClose() {
  if (!ctx_ || depth_ > 0) return true;
  bool may = true;
  Dispatch([&] { may = MayCloseWindow(*ctx_); });
  return may;
}

void Shell::OnTreeItemDragged(int item, int onto) {
  Dispatch([&] { DragTreeItem(*ctx_, item, onto); });
}

void Shell::OnWindowClosed() {
  if (closed_) return;
  closed_ = true;
  if (window_) window_->Timer().stop();
  if (on_close_) on_close_();
}

}  // namespace qm
