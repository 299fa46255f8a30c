#include "ui/shell.h"

#include <filesystem>

#include "app/event_bindings.h"
#include "app/startup.h"
#include "runtime/encoding.h"

namespace qm {
namespace {

// The compiler front must be runnable from the system directory.
void MakeExecutable(const Text& path) {
  std::error_code ec;
  namespace fs = std::filesystem;
  fs::permissions(NativeName(path),
                  fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                  fs::perm_options::add, ec);
}

std::vector<std::string> ProgramFolders() {
  // A bare program name is found beside the main program, then in the
  // system directory.
  return {OwnFolder(), NativeName(SpecialFolderPath(10))};
}

}  // namespace

Shell::Shell(std::function<void(const std::string&)> print)
    : processes_(ProgramFolders()), print_(std::move(print)) {}

Shell::~Shell() {
  tree_.SetSelectionListener(nullptr);
  window_.reset();
  ReleaseProgramState(state_);
}

void Shell::Start() {
  window_ = std::make_unique<MainWindow>(tree_, *this);
  controls_ = std::make_unique<QtControls>(*window_, print_);
  ctx_ = std::make_unique<Context>(
      Context{fs_, *controls_, *controls_, *controls_, processes_, tree_, random_, state_});
  tree_.SetSelectionListener([this](int how) {
    Dispatch([&] { RunSelectionEvent(*ctx_, "树型框1", how); });
  });
  Dispatch([&] {
    OnMainWindowCreated(*ctx_, *window_, LoadWorkingFiles(fs_, TextFromNativeName(OwnFolder())),
                        &MakeExecutable);
  });
  window_->show();
  window_->Centre();
  window_->PlacePageControls();
}

template <typename F>
void Shell::Dispatch(F&& operation) {
  ++depth_;
  operation();
  --depth_;
  if (depth_ == 0 && window_) window_->Settle();
}

void Shell::OnClicked(std::string_view control) {
  Dispatch([&] { RunBoundEvent(*ctx_, control, EventKind::kClick); });
}

void Shell::OnTimerTick(std::string_view timer) {
  if (depth_ > 0) return;
  Dispatch([&] { RunBoundEvent(*ctx_, timer, EventKind::kTick); });
}

void Shell::OnFilesDropped(std::string_view drop_target, const Text& dropped) {
  Dispatch([&] { RunDropEvent(*ctx_, drop_target, dropped); });
}

void Shell::OnWindowClosed() {
  if (closed_) return;
  closed_ = true;
  if (window_) window_->Timer().stop();
  if (on_close_) on_close_();
}

}  // namespace qm
