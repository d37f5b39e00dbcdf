#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include "services/FileCFG.h"

namespace fs = std::filesystem;

namespace {

class FileCFGTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("verdaly-cfg-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path Write(std::string_view bytes) {
        const fs::path file = dir_ / "Verdaly.ini";
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }
    static std::string Read(const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    fs::path dir_;
    FileCFG cfg_;
};

TEST_F(FileCFGTest, DefaultFileIsThirteenBytesAndReadsEmptyEmptyF) {
    EXPECT_EQ(FileCFG::kDefaultContent, std::string_view("\x31\x20\x0D\x0A\x32\x20\x0D\x0A\x33\x20\x46\x0D\x0A", 13));
    ASSERT_TRUE(cfg_.LoadFile(Write(FileCFG::kDefaultContent)));
    EXPECT_EQ(cfg_.ReadValue("1"), "");
    EXPECT_EQ(cfg_.ReadValue("2"), "");
    EXPECT_EQ(cfg_.ReadValue("3"), "F");
    // Exactly these three lines, each key with one space, and back to the same bytes when saved.
    EXPECT_EQ(*cfg_.Lines(), (std::vector<std::string>{"1 ", "2 ", "3 F"}));
    const fs::path saved = dir_ / "saved.ini";
    ASSERT_TRUE(cfg_.SaveFile(saved));
    EXPECT_EQ(Read(saved), "1 \r\n2 \r\n3 F\r\n");
}

TEST_F(FileCFGTest, ValuesKeepTheirSpacesAndTheLastDuplicateWins) {
    ASSERT_TRUE(cfg_.LoadFile(Write("1 a b  c\r\n3 T\r\n3 F\r\n 0 lead\r\n")));
    EXPECT_EQ(cfg_.ReadValue("1"), "a b  c");
    EXPECT_EQ(cfg_.ReadValue("3"), "F");
    EXPECT_EQ(cfg_.ReadValue(""), "0 lead");  // a leading space makes the empty key
    EXPECT_EQ(cfg_.ReadValue("9"), "");
}

TEST_F(FileCFGTest, KeysAreLowerCasedBeforeAnExactComparisonSteppingOverDoubleByteCharacters) {
    // 0x81 0x41 and 0xFE 0x5A, with the first and the last lead byte, are GBK characters whose trail bytes look
    // like 'A' and 'Z': they must not turn into 'a' and 'z'.
    ASSERT_TRUE(cfg_.LoadFile(Write("AZ old\r\n\x81\x41 x\r\n\xFE\x5A y\r\n")));
    EXPECT_EQ(cfg_.ReadValue("az"), "old");
    EXPECT_EQ(cfg_.ReadValue("AZ"), "");
    EXPECT_EQ(cfg_.ReadValue("\x81\x41"), "x");
    EXPECT_EQ(cfg_.ReadValue("\xFE\x5A"), "y");
    ASSERT_TRUE(cfg_.WriteValue("new", "az"));
    EXPECT_EQ((*cfg_.Lines())[0], "AZ new");  // the key keeps its capital letters
}

TEST_F(FileCFGTest, WriteRewritesEveryMatchAndNeverAppendsAndSaveReplacesTheFileLeavingNothingBeside) {
    const fs::path file = Write("3 T\r\nnospace\r\n3 F\r\n1\r\n");
    ASSERT_TRUE(cfg_.LoadFile(file));
    ASSERT_TRUE(cfg_.WriteValue("", "3"));        // shorter: nothing of the old file may stay at the end
    ASSERT_TRUE(cfg_.WriteValue("x", "1"));       // "1" without a space is no entry
    ASSERT_TRUE(cfg_.WriteValue("v", "absent"));  // nothing is appended
    ASSERT_TRUE(cfg_.SaveFile(file));
    EXPECT_EQ(Read(file), "3 \r\nnospace\r\n3 \r\n1\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(FileCFGTest, EveryLineIsSavedWithCrLfAndOnlyACrBeforeItsLineFeedEndsALine) {
    // A last line without its end; an empty first line, and a CR with nothing after it, a byte of the value
    // that reads back the same once saved.
    const char* const files[][3] = {{"1 a\r\n3 T", "T", "1 a\r\n3 T\r\n"}, {"\n3 T\r", "T\r", "\r\n3 T\r\r\n"}};
    for (const auto& [bytes, three, saved] : files) {
        const fs::path file = Write(bytes);
        ASSERT_TRUE(cfg_.LoadFile(file));
        EXPECT_EQ(cfg_.ReadValue("3"), three) << saved;
        ASSERT_TRUE(cfg_.SaveFile(file));
        EXPECT_EQ(Read(file), saved);
    }
}

TEST_F(FileCFGTest, BytesAbove127RoundTripUnchanged) {
    std::string value;
    for (int c = 14; c < 256; ++c)
        if (c != '\r' && c != '\n') value += static_cast<char>(c);
    const fs::path file = Write(FileCFG::kDefaultContent);
    ASSERT_TRUE(cfg_.LoadFile(file));
    ASSERT_TRUE(cfg_.WriteValue(value, "2"));
    ASSERT_TRUE(cfg_.SaveFile(file));
    FileCFG again;
    ASSERT_TRUE(again.LoadFile(file));
    EXPECT_EQ(again.ReadValue("2"), value);
}

TEST_F(FileCFGTest, WithoutAListEveryOperationFails) {
    EXPECT_FALSE(cfg_.ReadValue("3").has_value());
    EXPECT_FALSE(cfg_.WriteValue("T", "3"));
    EXPECT_FALSE(cfg_.SaveFile(dir_ / "out.ini"));
    EXPECT_FALSE(fs::exists(dir_ / "out.ini"));
    EXPECT_FALSE(cfg_.LoadFile(dir_ / "missing.ini").has_value());

    // An empty file leaves no list behind, and does not replace an earlier one.
    ASSERT_TRUE(cfg_.LoadFile(Write("")));
    EXPECT_FALSE(cfg_.ReadValue("3").has_value());
    ASSERT_TRUE(cfg_.LoadFile(Write("3 T\r\n")));
    ASSERT_TRUE(cfg_.LoadFile(Write("")));
    EXPECT_EQ(cfg_.ReadValue("3"), "T");
}

TEST_F(FileCFGTest, FailedSaveKeepsTheOldFile) {
    const fs::path file = Write("3 T\r\n");
    ASSERT_TRUE(cfg_.LoadFile(file));
    // The target is a folder now: the replace step fails and nothing else is touched.
    EXPECT_FALSE(cfg_.SaveFile(dir_));
    EXPECT_EQ(Read(file), "3 T\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
    fs::path temporary = dir_;
    temporary += ".tmp";
    EXPECT_FALSE(fs::exists(temporary));
}

#ifndef _WIN32
// A disk that fills up during the write: the old settings stay byte for byte, and nothing is left beside them.
TEST_F(FileCFGTest, SaveOntoAFullDiskKeepsTheOldFileWhole) {
    const std::string old = "1 kept\r\n2 kept\r\n3 T\r\n";
    const fs::path file = Write(old);
    ASSERT_TRUE(cfg_.LoadFile(file));
    ASSERT_TRUE(cfg_.WriteValue(std::string(200, 'x'), "1"));

    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previous = signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of ending the process
    rlimit small = before;
    small.rlim_cur = 64;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool saved = cfg_.SaveFile(file);
    setrlimit(RLIMIT_FSIZE, &before);
    signal(SIGXFSZ, previous);

    EXPECT_FALSE(saved);
    EXPECT_EQ(Read(file), old);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}
#endif

TEST_F(FileCFGTest, AFileLargerThanASettingsFileIsUnreadableAndRemembersNothing) {
    // A remembered account at the top, then padding up to the limit and one byte past it.
    std::string bytes = "1 a\r\n2 b\r\n3 T\r\n";
    bytes.resize(FileCFG::kMaxSize, 'x');
    const fs::path atLimit = Write(bytes);
    ASSERT_TRUE(cfg_.LoadFile(atLimit));
    EXPECT_EQ(cfg_.ReadValue("3"), "T");

    FileCFG fresh;
    const fs::path overLimit = Write(bytes + "x");
    EXPECT_EQ(fresh.LoadFile(overLimit), std::nullopt);
    EXPECT_EQ(fresh.ReadValue("3"), std::nullopt);
    EXPECT_FALSE(fresh.SaveFile(overLimit));  // nothing held, nothing written over the file
    EXPECT_EQ(fs::file_size(overLimit), FileCFG::kMaxSize + 1);
}

}  // namespace
