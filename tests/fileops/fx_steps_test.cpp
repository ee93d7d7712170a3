// The copy moves its data in steps of many blocks (inside the kernel where it can), yet its events
// must be those of a copy block by block: one progress event per block written whole, with the
// byte count and percent, window messages after each, none for a block cut by a fault, none
// after an Abort. Random sizes, block sizes and fault places, checked against a simple model.
#include <array>
#include <fstream>
#include <random>

#include "fx_fixture.h"
#include "platform/forwarding_file_system.h"

using namespace fileops;
using namespace fx_testing;

namespace {

enum class Fault { None, ShortWrite, FailedRead, Abort };

// The sizes that a copy's source was asked for, read by read.
class ReadSizes : public platform::ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;
    std::unique_ptr<platform::File> openRead(const std::string& path) override {
        std::unique_ptr<platform::File> file = ForwardingFileSystem::openRead(path);
        return file ? std::make_unique<Recording>(std::move(file), asked) : nullptr;
    }
    std::shared_ptr<std::vector<int64_t>> asked = std::make_shared<std::vector<int64_t>>();

private:
    class Recording : public platform::File {
    public:
        Recording(std::unique_ptr<platform::File> inner, std::shared_ptr<std::vector<int64_t>> asked)
            : inner_(std::move(inner)), asked_(std::move(asked)) {}
        int64_t read(void* buffer, int64_t count) override {
            asked_->push_back(count);
            return inner_->read(buffer, count);
        }
        int64_t write(const void* buffer, int64_t count) override { return inner_->write(buffer, count); }
        bool flush() override { return inner_->flush(); }
        std::optional<uint32_t> lastWriteDos() override { return inner_->lastWriteDos(); }
        bool setLastWriteDos(uint32_t dosTime) override { return inner_->setLastWriteDos(dosTime); }
        std::optional<platform::FileStamp> stamp() override { return inner_->stamp(); }
        bool setLastWrite(int64_t fileTime) override { return inner_->setLastWrite(fileTime); }

    private:
        std::unique_ptr<platform::File> inner_;
        std::shared_ptr<std::vector<int64_t>> asked_;
    };
};

// The events of a copy of `size` bytes in blocks of `block` that stops after `blocks` blocks.
Events Model(int64_t size, int64_t block, int64_t blocks) {
    Events events;
    for (int64_t done = 0, n = 0; done < size && n < blocks; ++n) {
        done = std::min(size, done + block);
        const int64_t whole = done * 100 / size, rest = done * 100 % size;  // halves to the even neighbour
        const int64_t percent = whole + (2 * rest > size || (2 * rest == size && whole % 2) ? 1 : 0);
        events.insert(events.end(), {"progress " + std::to_string(done) + " " + std::to_string(percent), "messages"});
    }
    return events;
}

class StepsTest : public FileManagerTest {
protected:
    void Check(std::shared_ptr<platform::FileSystem> files, const std::string& source, const std::string& content,
               int32_t block, Fault fault = Fault::None, int64_t faultBlock = 0) {
        const auto size = static_cast<int64_t>(content.size());
        SCOPED_TRACE(source + ": size " + std::to_string(size) + ", block " + std::to_string(block) + ", fault " +
                     std::to_string(static_cast<int>(fault)) + " at block " + std::to_string(faultBlock));
        Write("dest.bin", "old version");
        TFxFileManager manager(std::move(files));
        manager.SetOptions(kDefaultFileOptions.With(foOverwrite));
        manager.SetBufferSize(block);
        manager.ProcessMessages = [this] { events.push_back("messages"); };
        manager.OnError = fm.OnError;
        manager.OnProgress = [&, announced = int64_t{0}](TFxFileManager& sender) mutable {
            fm.OnProgress(sender);
            if (fault == Fault::Abort && ++announced == faultBlock) sender.Abort();
        };
        manager.SetSource(source);
        manager.SetDestination(Path("dest.bin"));
        events.clear();
        EXPECT_TRUE(manager.Execute());

        const int64_t blocks = (size + block - 1) / block;
        const bool failed = fault != Fault::None && faultBlock <= blocks;
        Events expected = Model(size, block, !failed ? blocks : fault == Fault::Abort ? faultBlock : faultBlock - 1);
        if (failed && fault != Fault::Abort) expected.push_back(fault == Fault::ShortWrite ? "error 6" : "error 4");
        EXPECT_EQ(events, expected);
        EXPECT_TRUE(Read("dest.bin") == (failed ? "old version" : content));
        EXPECT_TRUE(TemporaryFiles(dir.path()).empty());
    }

    std::string Content(int64_t size) {
        std::string text(static_cast<size_t>(size), '\0');
        for (char& c : text) c = static_cast<char>(random());
        return text;
    }
    int64_t Pick(int64_t low, int64_t high) { return std::uniform_int_distribution<int64_t>(low, high)(random); }

    std::mt19937 random{20240613};
};

}  // namespace

TEST_F(StepsTest, EventsAreThoseOfACopyBlockByBlockOnEveryPath) {
    std::vector<std::pair<int64_t, int32_t>> cases = {{3000, 1}};  // sizes at the block and step edges
    for (int64_t size : {0, 1, 8191, 8192, 8193, 262143, 262144, 262145, 1060921, 4194303, 4194304, 4194305, 9437187})
        cases.emplace_back(size, 8192);
    for (int i = 0; i < 12; ++i) cases.emplace_back(Pick(0, 1400000), std::array{8192, 1000, 12288, 300000}[i % 4]);
    for (const auto& [size, block] : cases) {
        const std::string content = Content(size);
        // The platform's own files (a kernel copy on Linux), the fault layer's (plain reads and
        // writes), and a source on another file system (Linux: the kernel may refuse that copy).
        Check(native, Write("src.bin", content), content, block);
        Check(faulty, Path("src.bin"), content, block);
#ifndef _WIN32
        if (!fs::is_directory("/dev/shm")) continue;
        const std::string elsewhere = "/dev/shm/" + dir.path().filename().string();  // as unique as our folder
        std::ofstream(elsewhere, std::ios::binary) << content;
        Check(native, elsewhere, content, block);
        fs::remove(elsewhere);
#endif
    }
}

TEST_F(StepsTest, AFaultOrAnAbortAtAnyBlockEndsTheEventsThere) {
    for (int i = 0; i < 40; ++i) {
        const auto fault = static_cast<Fault>(1 + i % 3);
        // The fault layer places its faults by 8 KiB block; an Abort comes after any block size.
        const int32_t block = fault == Fault::Abort && i % 2 ? static_cast<int32_t>(Pick(1000, 70000)) : 8192;
        const std::string content = Content(Pick(1, i % 4 ? 900000 : 9000000));  // some over several steps
        const int64_t faultBlock = Pick(1, (static_cast<int64_t>(content.size()) + block - 1) / block + 1);
        auto files = std::make_shared<testing_support::FaultyFileSystem>(native);
        if (fault == Fault::ShortWrite) files->ShortWriteAtBlock(static_cast<int>(faultBlock));
        if (fault == Fault::FailedRead) files->FailReadAtBlock(static_cast<int>(faultBlock));
        Check(files, Write("src.bin", content), content, block, fault, faultBlock);
    }
}

// A share serves a read of 1 to 8 MiB in one request: smaller reads leave the wire idle between
// them, larger ones only cost memory. The events stay those of 8 KiB blocks.
TEST_F(StepsTest, ReadsTheSourceInRequestsOfAShareSizeWithEventsPerBlock) {
    const std::string content = Content(10 * 1024 * 1024 + 12345);
    auto files = std::make_shared<ReadSizes>(native);
    Check(files, Write("src.bin", content), content, 8192);
    ASSERT_FALSE(files->asked->empty());
    for (int64_t count : *files->asked) {
        EXPECT_GE(count, 1 << 20);
        EXPECT_LE(count, 8 << 20);
    }
}
