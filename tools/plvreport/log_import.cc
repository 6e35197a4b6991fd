#include "log_import.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <set>

#include "ansi_text.h"
#include "def_line.h"
#include "log_paths.h"
#include "log_reader.h"
#include "log_time.h"
#include "platform/ascii.h"

namespace plvreport {
namespace {

namespace fs = std::filesystem;
using plv::logs::LogItem;

// Each transaction holds about this much of the files read, so that an
// import cut short keeps what it committed and memory stays bounded.
constexpr std::uint64_t kBytesPerTransaction = 32 << 20;

struct NamedFile {
    std::string path;
    FileKind kind;
};

FileKind KindOf(const fs::path &path) {
    return plv::EqualNoCase(path.extension().string(), ".DEF") ? FileKind::definitions : FileKind::log;
}

std::string Text(std::uint64_t number) { return std::to_string(number); }

// The texts of a record or line as UTF-8: views of the line itself when it
// is plain ASCII.
class Utf8Fields {
  public:
    template <std::size_t N>
    void Take(const std::array<std::string_view, N> &fields, std::string_view whole) {
        static_assert(N <= kMost);
        if (plv::logs::IsAscii(whole)) {
            std::copy(fields.begin(), fields.end(), views_.begin());
            return;
        }
        for (std::size_t i = 0; i < N; ++i) {
            converted_[i] = plv::logs::Utf8FromAnsi(fields[i]);
            views_[i] = converted_[i];
        }
    }
    std::string_view operator[](std::size_t i) const { return views_[i]; }

  private:
    static constexpr std::size_t kMost = 16;
    std::array<std::string, kMost> converted_;
    std::array<std::string_view, kMost> views_;
};

class Importer {
  public:
    Importer(Store &store, ImportListener &listener) : store_(store), listener_(listener) {}

    ImportSummary Run(const std::vector<std::string> &paths) {
        const std::vector<NamedFile> files = FilesOf(paths);
        for (const NamedFile &file : files) {
            const auto known = store_.FindFile(file.path);
            std::error_code error;
            const std::uint64_t size = fs::file_size(file.path, error);
            if (!error) total_ += size - std::min(size, known ? known->readTo : 0);
        }
        store_.Begin();
        for (const NamedFile &file : files) ImportFile(file);
        store_.Commit();
        return summary_;
    }

  private:
    std::vector<NamedFile> FilesOf(const std::vector<std::string> &paths) {
        std::vector<NamedFile> files;
        std::set<std::string> seen;
        for (const std::string &argument : paths) {
            std::string why;
            const auto named = plv::logs::FilesNamedBy(argument, {".LOG", ".DEF"}, &why);
            if (!named) {
                Problem(argument + ": cannot be read: " + why);
                ++summary_.unreadable;
                continue;
            }
            for (const fs::path &file : *named) {
                std::error_code error;
                fs::path absolute = fs::weakly_canonical(fs::absolute(file), error);
                if (error) absolute = fs::absolute(file).lexically_normal();
                if (seen.insert(absolute.string()).second)
                    files.push_back({absolute.string(), KindOf(file)});
            }
        }
        return files;
    }

    void Problem(const std::string &line) { listener_.Problem(line); }

    void ImportFile(const NamedFile &named) {
        std::ifstream in(named.path, std::ios::binary);
        std::error_code error;
        const std::uint64_t size = fs::file_size(named.path, error);
        if (!in || error) {
            Problem(named.path + ": cannot be read");
            ++summary_.unreadable;
            return;
        }
        std::string &head = head_;
        head.assign(static_cast<std::size_t>(std::min<std::uint64_t>(size, kHeadSize)), '\0');
        in.read(head.data(), static_cast<std::streamsize>(head.size()));

        // How far the file was read is taken within the transaction that reads on.
        bool added = false;
        file_ = store_.TakeFile(named.path, named.kind, &added);
        const bool replaced =
            !added && (size < file_.readTo || head.compare(0, file_.head.size(), file_.head) != 0);
        if (replaced) {
            store_.ClearFile(file_.id);
            file_.readTo = 0;
            file_.header.clear();
        }
        const std::uint64_t start = file_.readTo;
        taken_ = true;
        if (size > start) {
            in.clear();
            in.seekg(static_cast<std::streamoff>(start));
            if (named.kind == FileKind::log)
                ReadLog(in);
            else
                ReadDefinitions(in);
            if (in.bad()) {
                Problem(named.path + ": reading stopped at an error");
                ++summary_.unreadable;
            }
        }
        if (taken_) KeepPosition();

        if (added)
            ++summary_.newFiles;
        else if (replaced)
            ++summary_.replacedFiles;
        else if (file_.readTo > start)
            ++summary_.grownFiles;
        else
            ++summary_.unchangedFiles;
    }

    // Bytes of the file taken up to `end`: counted for the progress line and
    // for the size of the transaction. False when another importer read on
    // from the file while it was not held, between two transactions: it is
    // left to that one.
    bool ReadTo(std::uint64_t end) {
        const std::uint64_t read = end - file_.readTo;
        file_.readTo = end;
        done_ += read;
        pending_ += read;
        listener_.Progress(done_, total_);
        if (pending_ >= kBytesPerTransaction) {
            KeepPosition();
            store_.Commit();
            store_.Begin();
            pending_ = 0;
            bool added = false;
            taken_ = store_.TakeFile(file_.path, file_.kind, &added).readTo == file_.readTo;
        }
        return taken_;
    }

    // The file's read position, and the bytes it was read from.
    void KeepPosition() {
        file_.head = head_.substr(
            0, static_cast<std::size_t>(std::min<std::uint64_t>(file_.readTo, kHeadSize)));
        store_.UpdateFile(file_);
    }

    void Skipped(std::uint64_t offset, std::uint64_t length, const std::string &why) {
        store_.AddSkipped(file_.id, offset, length);
        ++summary_.skippedRanges;
        summary_.skippedBytes += length;
        Problem(file_.path + ": skipped " + Text(length) + " bytes at offset " + Text(offset) +
                ": " + why);
    }

    void Unfinished(std::uint64_t offset, std::uint64_t length, const char *what) {
        ++summary_.unfinishedFiles;
        Problem(file_.path + ": the " + Text(length) + " bytes at offset " + Text(offset) +
                " hold no whole " + what + " yet; the next import reads them again");
    }

    void ReadLog(std::istream &in) {
        plv::logs::LogReader reader(in, file_.readTo);
        LogItem item;
        while (reader.Next(item)) {
            switch (item.kind) {
                case LogItem::Kind::header:
                    file_.header = plv::logs::Utf8FromAnsi(item.text);
                    break;
                case LogItem::Kind::record:
                    AddEvent(item);
                    break;
                case LogItem::Kind::skipped:
                    Skipped(item.offset, item.length, "no whole record");
                    break;
                case LogItem::Kind::unfinished:
                    Unfinished(item.offset, item.length, "record");
                    continue;
            }
            if (!ReadTo(item.offset + item.length)) return;
        }
    }

    void AddEvent(const LogItem &item) {
        namespace f = plv::logs;
        texts_.Take(item.event.fields, item.text);
        StoredEvent event;
        event.offset = item.offset;
        event.at = item.event.at;
        event.startAt = item.event.startAt;
        event.workstation = texts_[f::kWorkstation];
        event.user = texts_[f::kUser];
        event.context = texts_[f::kContext];
        event.spare1 = texts_[f::kSpare1];
        event.application = texts_[f::kApplication];
        event.event = texts_[f::kEvent];
        event.identifier = texts_[f::kIdentifier];
        event.count1 = texts_[f::kCount1];
        event.count2 = texts_[f::kCount2];
        event.spare2 = texts_[f::kSpare2];
        store_.AddEvent(file_.id, event);
        ++summary_.events;
    }

    void ReadDefinitions(std::istream &in) {
        std::string line;
        while (std::getline(in, line)) {
            const std::uint64_t offset = file_.readTo;
            if (in.eof()) {
                Unfinished(offset, line.size(), "line");
                return;
            }
            std::string why;
            if (!AddDefinition(offset, line, &why)) Skipped(offset, line.size() + 1, why);
            if (!ReadTo(offset + line.size() + 1)) return;
        }
    }

    bool AddDefinition(std::uint64_t offset, const std::string &line, std::string *why) {
        const auto recorded = plv::logs::ParseDefLine(line, why);
        if (!recorded) return false;
        const auto day =
            plv::logs::DayStart(recorded->date.substr(0, 4) + '-' + recorded->date.substr(4, 2) +
                                '-' + recorded->date.substr(6, 2));
        const auto time = plv::logs::LoggedInstant("1970/01/01", recorded->time);
        if (!day || !time) {
            *why = "has no real recording date and time";
            return false;
        }
        const std::array<std::string_view, 11> fields = {
            recorded->workstation, recorded->user,     recorded->userContext, recorded->directory,
            recorded->fileName,    recorded->fileDate, recorded->title,       recorded->windowClass,
            recorded->product,     recorded->company,  recorded->version};
        texts_.Take(fields, line);
        StoredDefinition definition;
        definition.offset = offset;
        definition.recordedAt = *day + *time;
        definition.workstation = texts_[0];
        definition.user = texts_[1];
        definition.context = texts_[2];
        definition.directory = texts_[3];
        definition.fileName = texts_[4];
        definition.fileDate = texts_[5];
        definition.fileSize = recorded->fileSize;
        definition.title = texts_[6];
        definition.windowClass = texts_[7];
        definition.product = texts_[8];
        definition.company = texts_[9];
        definition.version = texts_[10];
        definition.language = recorded->language;
        store_.AddDefinition(file_.id, definition);
        ++summary_.definitionLines;
        return true;
    }

    Store &store_;
    ImportListener &listener_;
    ImportSummary summary_;
    ImportedFile file_;
    std::string head_;  // the first bytes of the file being read
    Utf8Fields texts_;
    std::uint64_t total_ = 0, done_ = 0, pending_ = 0;
    bool taken_ = false;  // file_ is still this import's to read on
};

}  // namespace

ImportSummary Import(Store &store, const std::vector<std::string> &paths,
                     ImportListener &listener) {
    return Importer(store, listener).Run(paths);
}

}  // namespace plvreport
