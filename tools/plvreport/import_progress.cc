#include "import_progress.h"

#include <unistd.h>

namespace plvreport {
namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

double Megabytes(std::uint64_t bytes) { return static_cast<double>(bytes) / 1e6; }

}  // namespace

ImportProgress::ImportProgress(std::FILE *terminal)
    : out_(terminal),
      terminal_(isatty(fileno(terminal)) != 0),
      start_(std::chrono::steady_clock::now()),
      shownAt_(start_) {}

ImportProgress::~ImportProgress() { Clear(); }

void ImportProgress::Clear() {
    if (!shown_) return;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
    shown_ = false;
}

void ImportProgress::Problem(const std::string &line) {
    Clear();
    std::fprintf(out_, "%s\n", line.c_str());
}

void ImportProgress::Progress(std::uint64_t done, std::uint64_t total) {
    if (!terminal_) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - shownAt_ < kRedrawEvery) return;
    shownAt_ = now;
    const double seconds = std::chrono::duration<double>(now - start_).count();
    std::fprintf(
        out_, "\r\033[Kimporting: %3.0f%%, %.0f of %.0f MB, %.0f MB/s",
        total == 0 ? 100.0 : 100.0 * static_cast<double>(done) / static_cast<double>(total),
        Megabytes(done), Megabytes(total), seconds > 0 ? Megabytes(done) / seconds : 0.0);
    std::fflush(out_);
    shown_ = true;
}

}  // namespace plvreport
