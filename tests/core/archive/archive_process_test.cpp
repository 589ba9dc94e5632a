// The archive shared by processes: two writers at once, and a writer killed halfway through an
// entry. Child processes come from fork(), so these run where fork() exists.
#include "archive_helpers.hpp"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace qv::test {
namespace {

// Runs body in a child process; the child's exit status is 0 when body returned true.
pid_t runChild(const std::function<bool()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        const bool ok = body();
        ::_exit(ok ? 0 : 1);
    }
    return pid;
}

int exitStatus(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(ArchiveProcesses, TwoWritersAtOnceKeepEveryEntry) {
    ScratchFolder folder("two_writers");
    const std::string path = folder.path("archive.sqlite");
    constexpr int kEach = 30;
    // Both start on a file that is not there yet, so they also race to create it.
    std::vector<pid_t> children;
    for (const std::string serial : {"1111111", "2222222"}) {
        children.push_back(runChild([&] {
            auto opened = ConfigArchive::open(path, ConfigArchive::Access::create);
            if (!opened.archive) return false;
            for (int k = 0; k < kEach; ++k) {
                NewArchiveEntry e = sampleEntry(serial);
                e.note = std::to_string(k);
                if (!opened.archive->add(e).ok()) return false;
            }
            return true;
        }));
    }
    for (const pid_t child : children)
        EXPECT_EQ(exitStatus(child), 0);

    auto opened = ConfigArchive::open(path, ConfigArchive::Access::existing);
    ASSERT_TRUE(opened.archive) << opened.problem;
    for (const std::string serial : {"1111111", "2222222"}) {
        const auto entries = opened.archive->entries(serial);
        ASSERT_TRUE(entries.ok()) << entries.problem;
        std::set<std::string> notes;
        for (const auto& e : entries.value)
            notes.insert(e.note);
        EXPECT_EQ(notes.size(), static_cast<std::size_t>(kEach)) << serial;
    }
}

TEST(ArchiveProcesses, AWriterKilledInsideAnEntryLeavesEveryEarlierEntry) {
    ScratchFolder folder("killed");
    const std::string path = folder.path("archive.sqlite");
    constexpr int kEarlier = 5;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = runChild([&] {
        ArchiveOptions options;
        int stored = 0;
        // The last entry stops before its commit, with its pages written out: its note is far
        // larger than SQLite's page cache.
        options.beforeCommit = [&] {
            if (++stored <= kEarlier) return;
            const char byte = 'k';
            if (::write(ready[1], &byte, 1) != 1) ::_exit(2);
            for (;;)
                ::pause();
        };
        auto opened = ConfigArchive::open(path, ConfigArchive::Access::create, options);
        if (!opened.archive) return false;
        for (int k = 0; k <= kEarlier; ++k) {
            NewArchiveEntry e = sampleEntry(std::to_string(2392000 + k));
            if (k == kEarlier) e.note.assign(8 * 1024 * 1024, 'x');
            if (!opened.archive->add(e).ok()) return false;
        }
        return true;
    });
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1) << "the child ended before its last entry";
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    EXPECT_EQ(exitStatus(child), 128 + SIGKILL);

    auto opened = ConfigArchive::open(path, ConfigArchive::Access::existing);
    ASSERT_TRUE(opened.archive) << opened.problem;
    const auto all = opened.archive->allEntries();
    ASSERT_TRUE(all.ok()) << all.problem;
    ASSERT_EQ(all.value.size(), static_cast<std::size_t>(kEarlier));
    for (const auto& summary : all.value) {
        const auto e = opened.archive->entry(summary.id);
        ASSERT_TRUE(e.ok() && e.value) << e.problem;
        EXPECT_TRUE(e.value->image == sampleEntry("1").image);
    }
    // The archive goes on.
    EXPECT_TRUE(opened.archive->add(sampleEntry("2392999")).ok());
}

} // namespace
} // namespace qv::test
#endif
