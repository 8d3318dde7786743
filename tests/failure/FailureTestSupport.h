#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/resource.h>

namespace tramino::test
{

// A fresh empty directory under the system's temporary directory, removed afterwards.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string File(const std::string& strName) const { return (m_path / strName).string(); }
    // Names of everything directly in the directory (or in a folder of it), sorted.
    std::vector<std::string> Entries(const std::string& strSubdir = {}) const;

private:
    std::filesystem::path m_path;
};

std::vector<uint8_t> ReadBytes(const std::string& strPath);
void WriteBytes(const std::string& strPath, std::string_view bytes);

// What a finished program printed and how it ended: the exit status, or 128 + the signal.
struct CProgramRun
{
    int m_nStatus = -1;
    std::string m_strOut;
    std::string m_strErr;
};

// Runs a program with its temporary files in strTmpDir ($TMPDIR) and waits for it, calling
// fnWhileRunning (when given) with its process id first. nFileSizeLimit > 0 makes the kernel
// refuse to let any file of the program grow beyond that many bytes (with SIGXFSZ, which the
// program must ignore to report the failure).
CProgramRun RunProgram(const std::vector<std::string>& vecArgs, const std::string& strTmpDir,
                       rlim_t nFileSizeLimit = 0, const std::function<void(pid_t)>& fnWhileRunning = {});

// Runs fn in a forked child and returns the text it produced (a crash of the child reads as
// "child ended with status N"). For changes that must not touch the test process itself,
// such as its resource limits.
std::string RunInChild(const std::function<std::string()>& fn);

// Mounts that only this test process (and the programs it starts) sees: the first call moves
// the process into a mount namespace of its own (in a chroot, onto a bind mount of its root
// there). Each call returns "" when done, else why it cannot be done here (a container without
// the right, a kernel without namespaces), for the test to skip with.
std::string MountTmpfs(const std::filesystem::path& dir, size_t nBytes);
// Makes an existing directory read-only in place, for root too (a read-only bind mount).
std::string MountReadOnly(const std::filesystem::path& dir);
void Unmount(const std::filesystem::path& dir);

} // namespace tramino::test
