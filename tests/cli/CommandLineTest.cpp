#include "cli/CommandLine.h"

#include "common/Version.h"
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <new>
#include <sstream>
#include <stdexcept>

namespace tramino::cli
{
namespace
{

// Echoes what the framework handed it: the value of --name, a flag, and the operands.
class CEchoCommand : public CCommand
{
public:
    std::string_view Name() const override { return "echo"; }
    std::string_view Summary() const override { return "repeat the arguments"; }
    std::string Help() const override { return "Usage: tramino-cli echo [--name V] [--loud] ARGS\n"; }
    std::vector<COptionSpec> Options() const override { return {{"name", true, 'n'}, {"loud", false}}; }

    int Run(const CArguments& args, CCommandIo& io) override
    {
        if (args.Operands().size() == 1 && args.Operands()[0] == "throw")
            throw std::runtime_error("boom");
        if (args.Operands().size() == 1 && args.Operands()[0] == "alloc")
            throw std::bad_alloc();
        if (args.Operands().size() == 1 && args.Operands()[0] == "fail")
            return io.Failure("failed");
        if (args.Operands().size() == 1 && args.Operands()[0] == "bad")
            return io.UsageError("bad operand");
        const std::string* pName = args.Value("name");
        io.Out() << (pName != nullptr ? *pName : "-") << (args.Has("loud") ? "!" : "");
        for (const std::string& strOperand : args.Operands())
            io.Out() << " " << strOperand;
        return kExitOk;
    }
};

struct CRun
{
    int m_nStatus;
    std::string m_strOut;
    std::string m_strErr;
};

CRun RunEcho(const std::vector<std::string>& vecArgs, const CStopRequest* pStop = nullptr)
{
    std::vector<std::unique_ptr<CCommand>> vecCommands;
    vecCommands.push_back(std::make_unique<CEchoCommand>());
    std::ostringstream out;
    std::ostringstream err;
    const int nStatus = RunCommandLine(vecArgs, vecCommands, out, err, pStop);
    return {nStatus, out.str(), err.str()};
}

TEST(CommandLine, ProgramHelpVersionAndBadUsage)
{
    const CRun help = RunEcho({"--help"});
    EXPECT_EQ(help.m_nStatus, kExitOk);
    EXPECT_NE(help.m_strOut.find("echo   repeat the arguments"), std::string::npos);
    EXPECT_EQ(RunEcho({"--version"}).m_strOut, "tramino-cli " TRAMINO_VERSION "\n");

    for (const std::vector<std::string>& vecArgs :
         {std::vector<std::string>{}, {"nosuch"}, {"--nosuch"}, {"--version", "x"}})
    {
        const CRun run = RunEcho(vecArgs);
        EXPECT_EQ(run.m_nStatus, kExitUsage);
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_NE(run.m_strErr, "");
    }
}

TEST(CommandLine, OptionsReachTheCommand)
{
    EXPECT_EQ(RunEcho({"echo", "a", "--name", "x", "b"}).m_strOut, "x a b");
    EXPECT_EQ(RunEcho({"echo", "--name=x=y", "--loud"}).m_strOut, "x=y!");
    EXPECT_EQ(RunEcho({"echo", "-n", "--loud"}).m_strOut, "--loud");
    EXPECT_EQ(RunEcho({"echo", "--", "--loud", "-"}).m_strOut, "- --loud -");
    EXPECT_EQ(RunEcho({"echo", "--name", ""}).m_strOut, "");
    EXPECT_EQ(RunEcho({"echo", "-nx", "a"}).m_strOut, "x a");
}

TEST(CommandLine, HelpOfACommandWinsOverItsOtherArguments)
{
    const CRun help = RunEcho({"echo", "--bogus", "--help"});
    EXPECT_EQ(help.m_nStatus, kExitOk);
    EXPECT_EQ(help.m_strOut, "Usage: tramino-cli echo [--name V] [--loud] ARGS\n");
    EXPECT_EQ(RunEcho({"echo", "--", "--help"}).m_strOut, "- --help");
}

TEST(CommandLine, BadCommandUsageIsReportedOnStandardError)
{
    for (const std::vector<std::string>& vecArgs : {std::vector<std::string>{"echo", "--bogus"},
                                                    {"echo", "--name"},
                                                    {"echo", "--loud=1"},
                                                    {"echo", "--loud", "--loud"},
                                                    {"echo", "-x"},
                                                    {"echo", "-xn"},
                                                    {"echo", "bad"}})
    {
        const CRun run = RunEcho(vecArgs);
        EXPECT_EQ(run.m_nStatus, kExitUsage) << vecArgs.back();
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_TRUE(run.m_strErr.starts_with("tramino-cli echo: ")) << run.m_strErr;
    }
}

TEST(CommandLine, AnExceptionIsAFailureNotACrash)
{
    const CRun run = RunEcho({"echo", "throw"});
    EXPECT_EQ(run.m_nStatus, kExitFailure);
    EXPECT_NE(run.m_strErr.find("boom"), std::string::npos);
    // The standard exceptions' own texts are C++ names, not reasons.
    const CRun alloc = RunEcho({"echo", "alloc"});
    EXPECT_EQ(alloc.m_nStatus, kExitFailure);
    EXPECT_EQ(alloc.m_strErr, "tramino-cli echo: not enough memory\n");
}

TEST(CommandLine, AStopEndsWithTheSignalsStatusAndOneLine)
{
    for (const char* szOperand : {"a", "fail"})
    {
        CStopRequest stop;
        stop.m_nSignal = SIGTERM;
        stop.m_bStop = true;
        const CRun run = RunEcho({"echo", szOperand}, &stop);
        EXPECT_EQ(run.m_nStatus, 128 + SIGTERM);
        EXPECT_EQ(run.m_strErr,
                  "tramino-cli echo: stopped by " + std::string(platform::StopName(SIGTERM)) + "\n");
    }
}

TEST(CommandLine, ControlCharactersArePrintedEscaped)
{
    EXPECT_EQ(Printable("a\nb\x1b[31mc\td\r\x7f\xc2\x9b\xc3\xa9"),
              "a\\nb\\x1b[31mc\\td\\r\\x7f\\xc2\\x9b\xc3\xa9");
    const CRun run = RunEcho({"--no\x1b]0;x\a"});
    EXPECT_EQ(run.m_strErr.find('\x1b'), std::string::npos) << run.m_strErr;
    EXPECT_NE(run.m_strErr.find("'--no\\x1b]0;x\\x07'"), std::string::npos) << run.m_strErr;
}

TEST(CommandLine, EveryRegisteredCommandHasHelpAndAUniqueName)
{
    std::vector<std::string> vecNames;
    for (const auto& pCommand : MakeCommands())
    {
        EXPECT_FALSE(pCommand->Help().empty()) << pCommand->Name();
        EXPECT_EQ(std::count(vecNames.begin(), vecNames.end(), pCommand->Name()), 0) << pCommand->Name();
        vecNames.emplace_back(pCommand->Name());
    }
}

} // namespace
} // namespace tramino::cli
