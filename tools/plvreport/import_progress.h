// What the import tells as it goes: its problems on the error stream and,
// on a terminal, one progress line written over and over.
#pragma once

#include <chrono>
#include <cstdio>

#include "log_import.h"

namespace plvreport {

class ImportProgress final : public ImportListener {
  public:
    explicit ImportProgress(std::FILE *terminal);
    ~ImportProgress() override;
    void Problem(const std::string &line) override;
    void Progress(std::uint64_t done, std::uint64_t total) override;

  private:
    void Clear();

    std::FILE *out_;
    bool terminal_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_, shownAt_;
};

}  // namespace plvreport
