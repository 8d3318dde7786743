#include "failure/FailureTestSupport.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>

#include <fcntl.h>
#include <sched.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tramino::test
{
namespace
{

std::string ErrnoText(const std::string& strWhat, int nError)
{
    return strWhat + ": " + std::strerror(nError);
}

bool WriteProcFile(const char* szPath, const std::string& strText)
{
    std::ofstream file(szPath);
    file << strText;
    file.flush();
    return static_cast<bool>(file);
}

// Whether the mount on the root directory takes part in propagation with other mounts ("shared:N"
// among the optional fields of /proc/self/mountinfo). Unreadable counts as shared: not private.
bool RootMountIsShared()
{
    std::ifstream file("/proc/self/mountinfo");
    bool bFound = false;
    for (std::string strLine; std::getline(file, strLine);)
    {
        std::istringstream fields(strLine);
        std::string strId, strParent, strDevice, strRoot, strMountPoint, strOptions;
        fields >> strId >> strParent >> strDevice >> strRoot >> strMountPoint >> strOptions;
        if (strMountPoint != "/")
            continue;
        bFound = true;
        for (std::string strField; fields >> strField && strField != "-";)
            if (strField.starts_with("shared:"))
                return true;
    }
    return !bFound;
}

// In a plain chroot "/" is a directory inside some mount, not a mount of its own, so it cannot be
// made private. Binding it onto itself gives it one; "/.." leads onto the mount stacked on the
// root, and entering it makes that mount the root. A bind onto a shared mount has already been
// copied to its peers outside: unmounting it again takes the copies back with it.
std::string MakeRootAMount()
{
    if (::mount("/", "/", nullptr, MS_BIND | MS_REC, nullptr) != 0)
        return ErrnoText("cannot bind-mount / onto itself", errno);
    if (RootMountIsShared())
    {
        ::umount2("/..", MNT_DETACH);
        return "cannot make the mounts private: / is not a mount point and its mount is shared "
               "with the rest of the machine";
    }
    std::error_code error;
    const std::filesystem::path cwd = std::filesystem::current_path(error);
    if (::chdir("/..") != 0 || ::chroot(".") != 0)
        return ErrnoText("cannot enter the bind mount of /", errno);
    if (error || ::chdir(cwd.c_str()) != 0)
        return ErrnoText("cannot return to the working directory", error ? error.value() : errno);
    return {};
}

// Root may mount in a mount namespace of its own; without that right (not root, or a container
// that took it away) a user namespace may still give it. A user namespace needs a process
// without threads, which the test process is.
std::string EnterMountNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0)
    {
        const int nError = errno;
        const uid_t nUid = ::geteuid();
        const gid_t nGid = ::getegid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return ErrnoText("no mount namespace of our own", nError);
        if (!WriteProcFile("/proc/self/setgroups", "deny") ||
            !WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(nUid) + " 1") ||
            !WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(nGid) + " 1"))
            return "cannot map the user into a user namespace";
    }
    // Mounts made from now on must not propagate to the rest of the machine.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    {
        if (errno != EINVAL)
            return ErrnoText("cannot make the mounts private", errno);
        if (std::string strReason = MakeRootAMount(); !strReason.empty())
            return strReason;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            return ErrnoText("cannot make the mounts private", errno);
    }
    return {};
}

const std::string& PrivateMounts()
{
    static const std::string s_strReason = EnterMountNamespace();
    return s_strReason;
}

std::string ReadAll(int hFile)
{
    std::string strText;
    char arrBuffer[4096];
    ::lseek(hFile, 0, SEEK_SET);
    for (ssize_t n; (n = ::read(hFile, arrBuffer, sizeof arrBuffer)) > 0 || (n < 0 && errno == EINTR);)
        strText.append(arrBuffer, static_cast<size_t>(std::max<ssize_t>(n, 0)));
    return strText;
}

int WaitStatus(pid_t nPid)
{
    int nStatus = 0;
    while (::waitpid(nPid, &nStatus, 0) < 0 && errno == EINTR)
    {
    }
    return WIFEXITED(nStatus) ? WEXITSTATUS(nStatus) : 128 + WTERMSIG(nStatus);
}

} // namespace

CTempDir::CTempDir()
{
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("tramino-failure-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

CTempDir::~CTempDir()
{
    std::error_code error;
    std::filesystem::remove_all(m_path, error);
}

std::vector<std::string> CTempDir::Entries(const std::string& strSubdir) const
{
    std::vector<std::string> vecNames;
    std::error_code error;
    for (std::filesystem::directory_iterator it(m_path / strSubdir, error), end; !error && it != end;
         it.increment(error))
        vecNames.push_back(it->path().filename().string());
    std::sort(vecNames.begin(), vecNames.end());
    return vecNames;
}

std::vector<uint8_t> ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::string& strPath, std::string_view bytes)
{
    std::ofstream(strPath, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

CProgramRun RunProgram(const std::vector<std::string>& vecArgs, const std::string& strTmpDir,
                       rlim_t nFileSizeLimit, const std::function<void(pid_t)>& fnWhileRunning)
{
    // Memory files take any amount of output without a reader, so the child never blocks.
    const int hOut = ::memfd_create("stdout", MFD_CLOEXEC);
    const int hErr = ::memfd_create("stderr", MFD_CLOEXEC);
    std::vector<char*> vecArgv;
    for (const std::string& strArg : vecArgs)
        vecArgv.push_back(const_cast<char*>(strArg.c_str()));
    vecArgv.push_back(nullptr);

    const pid_t nPid = ::fork();
    if (nPid == 0)
    {
        ::dup2(hOut, STDOUT_FILENO);
        ::dup2(hErr, STDERR_FILENO);
        ::setenv("TMPDIR", strTmpDir.c_str(), 1);
        if (nFileSizeLimit > 0)
        {
            const struct rlimit limit
            {
                nFileSizeLimit, nFileSizeLimit
            };
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::execv(vecArgv[0], vecArgv.data());
        _exit(127);
    }
    if (nPid > 0 && fnWhileRunning)
        fnWhileRunning(nPid);
    CProgramRun run;
    run.m_nStatus = nPid < 0 ? -1 : WaitStatus(nPid);
    run.m_strOut = ReadAll(hOut);
    run.m_strErr = ReadAll(hErr);
    ::close(hOut);
    ::close(hErr);
    return run;
}

std::string RunInChild(const std::function<std::string()>& fn)
{
    const int hResult = ::memfd_create("result", MFD_CLOEXEC);
    const pid_t nPid = ::fork();
    if (nPid == 0)
    {
        const std::string strResult = fn();
        const bool bWritten =
            ::write(hResult, strResult.data(), strResult.size()) == static_cast<ssize_t>(strResult.size());
        _exit(bWritten ? 0 : 1);
    }
    const int nStatus = nPid < 0 ? -1 : WaitStatus(nPid);
    std::string strResult = ReadAll(hResult);
    ::close(hResult);
    return nStatus == 0 ? strResult : "child ended with status " + std::to_string(nStatus);
}

std::string MountTmpfs(const std::filesystem::path& dir, size_t nBytes)
{
    if (!PrivateMounts().empty())
        return PrivateMounts();
    const std::string strOptions = "size=" + std::to_string(nBytes) + ",mode=0755";
    if (::mount("tmpfs", dir.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, strOptions.c_str()) != 0)
        return ErrnoText("cannot mount a tmpfs", errno);
    return {};
}

std::string MountReadOnly(const std::filesystem::path& dir)
{
    if (!PrivateMounts().empty())
        return PrivateMounts();
    struct statvfs fsStat
    {
    };
    if (::statvfs(dir.c_str(), &fsStat) != 0)
        return ErrnoText("cannot look at the file system", errno);
    if (::mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0)
        return ErrnoText("cannot bind-mount the directory", errno);
    // A remount inside a user namespace must keep the flags the outer mount locked.
    unsigned long nFlags = MS_BIND | MS_REMOUNT | MS_RDONLY;
    nFlags |= (fsStat.f_flag & ST_NOSUID) != 0 ? MS_NOSUID : 0;
    nFlags |= (fsStat.f_flag & ST_NODEV) != 0 ? MS_NODEV : 0;
    nFlags |= (fsStat.f_flag & ST_NOEXEC) != 0 ? MS_NOEXEC : 0;
    if (::mount(nullptr, dir.c_str(), nullptr, nFlags, nullptr) != 0)
    {
        const int nError = errno;
        Unmount(dir);
        return ErrnoText("cannot make the bind mount read-only", nError);
    }
    return {};
}

void Unmount(const std::filesystem::path& dir)
{
    ::umount2(dir.c_str(), MNT_DETACH);
}

} // namespace tramino::test
