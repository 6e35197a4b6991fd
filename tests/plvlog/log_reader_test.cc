// The streaming reader on sound and damaged files: what it takes, what it
// skips, and that reading goes on at the next whole record.
#include "log_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plvlog/log_bytes.h"

namespace plv::testing {
namespace {

using logs::LogItem;
using logs::LogReader;

// Each item as one text: "header TEXT", "record LINE @OFFSET+LENGTH",
// "skipped OFFSET+LENGTH" or "unfinished OFFSET+LENGTH".
std::vector<std::string> Items(const std::string &bytes, std::uint64_t offset = 0) {
    static const char *const kKinds[] = {"header ", "record ", "skipped ", "unfinished "};
    std::istringstream in(bytes.substr(offset));
    LogReader reader(in, offset);
    std::vector<std::string> items;
    for (LogItem item; reader.Next(item);) {
        std::string shown = std::to_string(item.offset) + "+" + std::to_string(item.length);
        if (item.kind == LogItem::Kind::record) shown = std::string(item.text) + " @" + shown;
        if (item.kind == LogItem::Kind::header) shown = item.text;
        items.push_back(kKinds[static_cast<int>(item.kind)] + shown);
    }
    return items;
}

std::string Line(int n) {
    return EventLine("1998/08/20",
                     "09:15:" + std::string(n < 10 ? "0" : "") + std::to_string(n % 60),
                     "WS-" + std::to_string(n), "USER" + std::to_string(n), "C:\\APPS\\EDITOR.EXE");
}

// Records of lines 1..count after a header, with where each begins.
struct Log {
    std::string bytes = LogHeaderBytes();
    std::vector<std::size_t> starts;
    std::vector<std::string> records, lines;

    void Add(const std::string &line, std::uint16_t key = 9) {
        starts.push_back(bytes.size());
        lines.push_back(line);
        records.push_back(LogRecordBytes(line, key));
        bytes += records.back();
    }
    std::string Taken(std::size_t i) const {
        return "record " + lines[i] + " @" + std::to_string(starts[i]) + "+" +
               std::to_string(records[i].size());
    }
};

Log LogOf(int count) {
    Log log;
    for (int n = 1; n <= count; ++n) log.Add(Line(n), static_cast<std::uint16_t>(n * 37 % 254 + 1));
    return log;
}

// A workstation killed mid-write leaves part of a record: unfinished at the
// end, skipped once the next writer has appended after it.
TEST(LogReader, ARecordCutOffAtAnyByteIsUnfinishedOrSkipped) {
    const Log whole = LogOf(5);
    for (std::size_t kept = 1; kept < whole.records[2].size(); ++kept) {
        const std::string cut = whole.bytes.substr(0, whole.starts[2] + kept);
        const std::string part = std::to_string(whole.starts[2]) + "+" + std::to_string(kept);
        std::vector<std::string> expected = {"header Pelvantine usage log", whole.Taken(0),
                                             whole.Taken(1), "unfinished " + part};
        EXPECT_EQ(Items(cut), expected) << kept;
        expected.back() = "skipped " + part;
        const std::size_t fifth = cut.size() + whole.records[3].size();
        expected.push_back("record " + Line(4) + " @" + std::to_string(cut.size()) + "+" +
                           std::to_string(whole.records[3].size()));
        expected.push_back("record " + Line(5) + " @" + std::to_string(fifth) + "+" +
                           std::to_string(whole.records[4].size()));
        EXPECT_EQ(Items(cut + whole.records[3] + whole.records[4]), expected) << kept;
    }
}

// Four bytes overwritten in a record's head, in its date, or across the end
// of one record and the start of the next lose those records only.
TEST(LogReader, OverwrittenBytesLoseOnlyTheRecordsTheyHit) {
    const Log whole = LogOf(6);
    const std::size_t hit = 2, end = whole.starts[hit] + whole.records[hit].size();
    std::vector<std::size_t> places;
    for (std::size_t at = whole.starts[hit]; at < whole.starts[hit] + 8 + 10; ++at)
        places.push_back(at);
    places.push_back(end - 2);
    for (const std::size_t at : places) {
        std::string bytes = whole.bytes;
        bytes.replace(at, 4, "\xff\x00\xee\x11", 4);
        const bool both = at + 4 > end;
        const std::size_t lost =
            whole.records[hit].size() + (both ? whole.records[hit + 1].size() : 0);
        std::vector<std::string> expected = {
            "header Pelvantine usage log", whole.Taken(0), whole.Taken(1),
            "skipped " + std::to_string(whole.starts[hit]) + "+" + std::to_string(lost)};
        for (std::size_t i = both ? hit + 2 : hit + 1; i < 6; ++i)
            expected.push_back(whole.Taken(i));
        EXPECT_EQ(Items(bytes), expected) << at;
    }
}

// Garbage, record starts with nothing sound behind them, and records whose
// head or line is out of range: one skipped range, then the next record.
TEST(LogReader, WhatHoldsNoSoundRecordIsOneSkippedRange) {
    const std::string line = Line(3);
    std::string tooLong = line;
    tooLong.insert(tooLong.find("EDITOR"), std::string(423 - tooLong.size(), 'X'));
    const Log log = LogOf(2);
    std::vector<std::string> junk = {
        "x", "\r\n\x18", "\r\n\x18\x01", std::string(100, '\0'),
        std::string(3000, '\r') + "\r\n\x18\x01\x07\x00\x10\x00" + std::string(2000, '\n') +
            "\r\n\x18\x01",
        LogRecordBytes(line, 0), LogRecordBytes(line, 255), LogRecordBytes(line, 256),
        LogRecordBytes(tooLong, 5),  // length 423
        LogRecordBytes("", 5), LogRecordBytes(line.substr(0, line.size() - 1), 5),  // 13 fields
        LogRecordBytes(line + ";", 5), LogRecordBytes("1998/02/30" + line.substr(10), 5),
        LogRecordBytes(EventLine("1998/08/20", "10:00:00", "WS", "U", "A", "Terminated",
                                 "1998/08/20", "24:00:00"),
                       5)};
    // The next record's start straddles the end of the reader's first megabyte.
    for (const std::size_t inFirst : {1, 2, 3})
        junk.push_back(std::string((1u << 20) - inFirst - log.bytes.size(), 'J'));
    for (std::size_t i = 0; i < junk.size(); ++i) {
        const std::vector<std::string> items = Items(log.bytes + junk[i] + LogRecordBytes(line, 4));
        ASSERT_EQ(items.size(), 5u) << i;
        EXPECT_EQ(items[3], "skipped " + std::to_string(log.bytes.size()) + "+" +
                                std::to_string(junk[i].size()))
            << i;
        EXPECT_EQ(items[4], "record " + line + " @" +
                                std::to_string(log.bytes.size() + junk[i].size()) + "+" +
                                std::to_string(line.size() + 8))
            << i;
    }
    for (const std::uint16_t key : {1, 254}) {  // the keys at the ends of the range hold
        Log edge;
        edge.Add(line, key);
        EXPECT_EQ(Items(edge.bytes).back(), edge.Taken(0)) << key;
    }
}

TEST(LogReader, ADamagedHeaderIsSkippedUpToTheFirstRecord) {
    Log log = LogOf(2);
    std::string bytes = log.bytes;
    bytes[0] = 'X';
    EXPECT_EQ(Items(bytes), (std::vector<std::string>{"skipped 0+" + std::to_string(log.starts[0]),
                                                      log.Taken(0), log.Taken(1)}));
    // The agent writes at most 64 characters; a longer one, up to 1024, holds
    // when a record follows it, even one cut off after its first four bytes,
    // or when it is all the file holds.
    for (const std::size_t kept : {log.records[0].size(), std::size_t{4}, std::size_t{0}}) {
        const std::string longHeader =
                LogHeaderBytes(std::string(1024, 'H')) + log.records[0].substr(0, kept);
        EXPECT_EQ(Items(longHeader)[0], "header " + std::string(1024, 'H')) << kept;
    }
    // An empty header that is all the file holds is one: its record failed.
    EXPECT_EQ(Items(LogHeaderBytes("")), std::vector<std::string>{"header "});
    // A header the file ends inside is none.
    const std::string cut = LogHeaderBytes().substr(0, LogHeaderBytes().size() - 3);
    EXPECT_EQ(Items(cut), std::vector<std::string>{"unfinished 0+" + std::to_string(cut.size())});
    // Before anything else, only a header the agent could write holds.
    const std::string plain = LogHeaderBytes(std::string(64, 'H')) + "x",
                      longer = LogHeaderBytes(std::string(65, 'H')) + "x";
    EXPECT_EQ(Items(plain),
              (std::vector<std::string>{"header " + std::string(64, 'H'), "unfinished 68+1"}));
    EXPECT_EQ(Items(longer), std::vector<std::string>{"unfinished 0+70"});
}

TEST(ParseLogFile, CountsTheSkippedBytesAndRefusesWhatIsNoLog) {
    const Log log = LogOf(3);
    const auto file = logs::ParseLogFile(log.bytes + "xyz" + log.records[0]);
    ASSERT_TRUE(file);
    EXPECT_EQ(file->header, "Pelvantine usage log");
    EXPECT_EQ(file->records.size(), 4u);
    EXPECT_EQ(file->skippedBytes, 3u);
    EXPECT_FALSE(logs::ParseLogFile("not a log"));
}

}  // namespace
}  // namespace plv::testing
