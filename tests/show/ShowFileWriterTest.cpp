#include "ShowTestSupport.h"

#include "show/RecordCutter.h"
#include "show/Rgb565.h"
#include "show/ShowFileFormat.h"
#include "show/ShowFileReader.h"
#include "show/ShowFileSize.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#ifndef _WIN32
#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace tramino
{
namespace test
{

CScratchDir::CScratchDir()
{
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() / ("tramino-show-" + std::to_string(random()));
    std::filesystem::create_directories(m_path);
}

std::vector<std::string> CScratchDir::Entries() const
{
    std::vector<std::string> vecNames;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        vecNames.push_back(entry.path().filename().string());
    std::sort(vecNames.begin(), vecNames.end());
    return vecNames;
}

std::vector<uint8_t> ReadBytes(const std::string& strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> MakeShow(EEffect effect, CPanelSize size, int nPictures)
{
    CScratchDir dir;
    CShowFileWriter writer;
    EXPECT_TRUE(writer.Create(dir.File("show.qrv")));
    for (int i = 0; i < nPictures; ++i)
        EXPECT_TRUE(WritePictureRecords(writer, effect, size.m_nWidth, size.m_nHeight,
                                        [i](int x, int y) { return PatternColour(x, y, i); }));
    EXPECT_TRUE(writer.Finish());
    return ReadBytes(dir.File("show.qrv"));
}

} // namespace test

namespace
{
using namespace test;

// Passes bytes to the real file until its budget is spent, then fails like a full disk; can also
// fail the final sync. The real sink underneath still owns (and removes) the temporary file.
class CFailingSink final : public IShowFileSink
{
public:
    CFailingSink(std::string strPath, std::unique_ptr<IShowFileSink> pInner, size_t nBudget, bool bFailCommit)
        : m_strPath(std::move(strPath)), m_pInner(std::move(pInner)), m_nBudget(nBudget),
          m_bFailCommit(bFailCommit)
    {
    }
    CStatus Write(const uint8_t* pData, size_t nSize) override
    {
        const size_t nTake = std::min(nSize, m_nBudget);
        m_nBudget -= nTake;
        if (CStatus status = m_pInner->Write(pData, nTake); !status || nTake == nSize)
            return status;
        return ErrnoStatus("write", m_strPath, ENOSPC);
    }
    CStatus Commit() override
    {
        return m_bFailCommit ? ErrnoStatus("close", m_strPath, EIO) : m_pInner->Commit();
    }
    void Discard() override { m_pInner->Discard(); }

private:
    std::string m_strPath;
    std::unique_ptr<IShowFileSink> m_pInner;
    size_t m_nBudget;
    bool m_bFailCommit;
};

ShowFileSinkOpener FailingOpener(size_t nBudget, bool bFailCommit = false)
{
    return [=](const std::string& strPath) -> CResult<std::unique_ptr<IShowFileSink>>
    {
        CResult<std::unique_ptr<IShowFileSink>> inner = OpenReplacingFile(strPath);
        if (!inner)
            return inner.Status();
        return std::unique_ptr<IShowFileSink>(
            std::make_unique<CFailingSink>(strPath, std::move(inner).Value(), nBudget, bFailCommit));
    };
}

CStatus WriteTwoPictures(CShowFileWriter& writer, const std::string& strPath)
{
    CStatus status = writer.Create(strPath);
    for (int i = 0; status && i < 2; ++i)
        status = WritePictureRecords(writer, EEffect::Circle, 320, 240,
                                     [i](int x, int y) { return PatternColour(x, y, i); });
    return status ? writer.Finish() : status;
}

TEST(ShowFileWriter, WorkedExampleIsByteExact)
{
    const std::vector<uint8_t> vecFile = MakeShow(EEffect::Normal, {96, 64}, 1);
    ASSERT_EQ(vecFile.size(), 12336u);
    EXPECT_EQ(std::string(vecFile.begin(), vecFile.begin() + 6), "NUVQRV");
    EXPECT_TRUE(std::all_of(vecFile.begin() + 6, vecFile.begin() + 32, [](uint8_t n) { return n == 0; }));
    EXPECT_EQ(std::vector<uint8_t>(vecFile.begin() + 32, vecFile.begin() + 44),
              (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x5F, 0x00, 0x00, 0x00, 0x3F, 0x00, 0x00, 0x18, 0x00}));
    EXPECT_EQ(std::vector<uint8_t>(vecFile.end() - 4, vecFile.end()),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xF8}));
}

TEST(ShowFileWriter, FileSizeFollowsTheRecordCountOfEachTransition)
{
    for (EEffect effect : g_arrEffects)
    {
        const CPanelSize size{128, 128};
        const size_t nRecords = static_cast<size_t>(EffectRecordCount(effect, size.m_nWidth, size.m_nHeight));
        EXPECT_EQ(MakeShow(effect, size, 2).size(), 32 + 2 * (12 * nRecords + 2 * 128 * 128 + 2) + 2);
    }
    // The square panel's empty record: x0 = 64, x1 = 63, row 63, n = 0, no pixels.
    const std::vector<uint8_t> vecFile = MakeShow(EEffect::Circle, {128, 128}, 1);
    const size_t nEmptyAt = vecFile.size() - 4 - (12 + 2) - 12;
    EXPECT_EQ(std::vector<uint8_t>(vecFile.begin() + static_cast<long>(nEmptyAt),
                                   vecFile.begin() + static_cast<long>(nEmptyAt) + 12),
              (std::vector<uint8_t>{0x00, 0x40, 0x00, 0x3F, 0x00, 0x3F, 0x00, 0x3F, 0, 0, 0, 0}));
}

TEST(ShowFileWriter, PacksRgb565ByTruncationAndExpandsByBitReplication)
{
    EXPECT_EQ(PackRgb565(255, 0, 0), 0xF800);
    EXPECT_EQ(PackRgb565(0, 255, 0), 0x07E0);
    EXPECT_EQ(PackRgb565(0, 0, 255), 0x001F);
    EXPECT_EQ(PackRgb565(255, 255, 255), 0xFFFF);
    EXPECT_EQ(PackRgb565(0, 0, 0), 0x0000);
    EXPECT_EQ(PackRgb565(7, 3, 7), 0x0000);
    EXPECT_EQ(ExpandRgb565(0xFFFF), (CRgb{255, 255, 255}));
    EXPECT_EQ(ExpandRgb565(0x8410), (CRgb{0x84, 0x82, 0x84}));
    for (int n = 0; n <= 0xFFFF; ++n)
    {
        const CRgb cr = ExpandRgb565(static_cast<uint16_t>(n));
        ASSERT_EQ(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue), n);
    }
    // Whole rows, which go 16 pixels at a time where the processor allows, pack as pixels do,
    // whatever is left over.
    std::mt19937 random(565);
    std::vector<uint8_t> vecRgb(3 * 70);
    for (uint8_t& nByte : vecRgb)
        nByte = static_cast<uint8_t>(random());
    for (size_t nCount = 0; nCount <= 70; ++nCount)
    {
        std::vector<uint8_t> vecPacked(2 * nCount + 2, 0xAB);
        PackRgb565Row(vecRgb.data(), nCount, vecPacked.data());
        for (size_t i = 0; i < nCount; ++i)
            ASSERT_EQ(vecPacked[2 * i] << 8 | vecPacked[2 * i + 1],
                      PackRgb565(vecRgb[3 * i], vecRgb[3 * i + 1], vecRgb[3 * i + 2]))
                << nCount << " pixels, pixel " << i;
        EXPECT_EQ(vecPacked[2 * nCount], 0xAB) << "written beyond " << nCount << " pixels";
    }
}

TEST(ShowFileWriter, CallsOutOfOrderFailAndKeepFailing)
{
    CScratchDir dir;
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(dir.File("a.qrv")));
    ASSERT_TRUE(writer.WriteRecordHead(0, 1, 0, 0, 2));
    ASSERT_TRUE(writer.WritePixel(1, 2, 3));
    const CStatus status = writer.EndPicture();
    EXPECT_NE(status.Message().find("a.qrv"), std::string::npos) << status.Message();
    EXPECT_FALSE(writer.WritePixel(1, 2, 3));
    EXPECT_FALSE(writer.Finish());
    EXPECT_TRUE(dir.Entries().empty());

    const auto Refused = [&](auto call)
    {
        EXPECT_TRUE(writer.Create(dir.File("b.qrv")));
        return !call();
    };
    EXPECT_TRUE(Refused([&] { return writer.WriteRecordHead(0, 1, 0, 0, 3); })); // n is not the area
    EXPECT_TRUE(Refused([&] { return writer.WriteRecordHead(5, 3, 0, 0, 0); })); // x1 below x0 - 1
    EXPECT_TRUE(Refused([&] { return writer.WriteRecordHead(0xFFFF, 0xFFFE, 0, 0, 0); })); // a marker
    EXPECT_TRUE(Refused([&] { return writer.WritePixel(0, 0, 0); }));
    EXPECT_TRUE(Refused([&] { return writer.EndPicture(); }));
    EXPECT_TRUE(Refused([&] { return writer.WriteRecordHead(0, 0, 0, 0, 1) && writer.Finish(); }));
    EXPECT_TRUE(dir.Entries().empty());
    CShowFileWriter unopened;
    EXPECT_FALSE(unopened.Finish());
}

TEST(ShowFileWriter, InjectedFaultsNameTheFileLeaveNoTemporaryAndKeepTheOldFile)
{
    CScratchDir dir;
    const std::string strTarget = dir.File("show.qrv");
    std::ofstream(strTarget) << "old show";
    CShowFileWriter reference;
    ASSERT_TRUE(WriteTwoPictures(reference, dir.File("reference.qrv")));
    const size_t nSize = ReadBytes(dir.File("reference.qrv")).size();
    std::filesystem::remove(dir.File("reference.qrv"));

    for (size_t nBudget : {size_t{0}, size_t{1}, size_t{31}, size_t{32}, size_t{65535}, size_t{65536},
                           nSize / 2, nSize - 2, nSize - 1})
    {
        SCOPED_TRACE(nBudget);
        CShowFileWriter writer(FailingOpener(nBudget));
        const CStatus status = WriteTwoPictures(writer, strTarget);
        EXPECT_EQ(status.Message(), "Cannot write '" + strTarget + "': No space left on device");
        EXPECT_FALSE(writer.Finish());
        EXPECT_EQ(dir.Entries(), std::vector<std::string>{"show.qrv"});
        EXPECT_EQ(ReadBytes(strTarget), (std::vector<uint8_t>{'o', 'l', 'd', ' ', 's', 'h', 'o', 'w'}));
    }
    CShowFileWriter failingClose(FailingOpener(nSize, true));
    EXPECT_NE(WriteTwoPictures(failingClose, strTarget).Message().find("Input/output error"),
              std::string::npos);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"show.qrv"});
    EXPECT_EQ(ReadBytes(strTarget).size(), 8u);
}

TEST(ShowFileWriter, TheSystemsFileSizeLimitIsReportedWithTheFileName)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows has no file size limit of a process";
#else
    // The kernel itself refuses to let the file grow past 100,000 bytes.
    CScratchDir dir;
    const std::string strTarget = dir.File("big.qrv");
    struct rlimit oldLimit
    {
    };
    ::getrlimit(RLIMIT_FSIZE, &oldLimit);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = oldLimit;
    limit.rlim_cur = 100000;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    CShowFileWriter writer;
    const CStatus status = WriteTwoPictures(writer, strTarget);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status.Message(), "Cannot write '" + strTarget + "': File too large");
    EXPECT_TRUE(dir.Entries().empty());
#endif
}

TEST(ShowFileWriter, FileSystemRefusalsAreReportedWithTheFileName)
{
    CScratchDir dir;
    CShowFileWriter writer;
    const std::string strMissing = dir.File("no-such-dir/show.qrv");
    EXPECT_EQ(writer.Create(strMissing).Message(),
              "Cannot create '" + strMissing + "': No such file or directory");
    EXPECT_FALSE(writer.EndPicture());
    std::filesystem::create_directory(dir.File("taken.qrv"));
    EXPECT_NE(writer.Create(dir.File("taken.qrv")).Message().find("Is a directory"), std::string::npos);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"taken.qrv"});
}

TEST(ShowFileWriter, AbandonedRunsLeaveNothingAndFinishReplacesAtOnce)
{
    CScratchDir dir;
    const std::string strTarget = dir.File("show.qrv");
    {
        CShowFileWriter writer;
        ASSERT_TRUE(writer.Create(strTarget));
        ASSERT_TRUE(WriteUnreadablePicture(writer, EEffect::Normal, 96, 64));
        EXPECT_EQ(dir.Entries().size(), 1u); // the temporary file
        EXPECT_FALSE(std::filesystem::exists(strTarget));
    }
    EXPECT_TRUE(dir.Entries().empty());

#ifdef _WIN32
    GTEST_SKIP() << "no file modes on Windows: a replaced file keeps its attributes and access rights";
#else
    const mode_t nOldMask = ::umask(022);
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(strTarget));
    ASSERT_TRUE(WriteUnreadablePicture(writer, EEffect::Normal, 96, 64));
    ASSERT_TRUE(writer.Finish());
    struct stat fileStat
    {
    };
    ASSERT_EQ(::stat(strTarget.c_str(), &fileStat), 0);
    EXPECT_EQ(fileStat.st_mode & 0777, 0644u);
    // A replaced file keeps its mode, and a stopped-early run is still a whole file.
    ::chmod(strTarget.c_str(), 0600);
    ASSERT_TRUE(writer.Create(strTarget));
    ASSERT_TRUE(writer.Finish());
    ::umask(nOldMask);
    ASSERT_EQ(::stat(strTarget.c_str(), &fileStat), 0);
    EXPECT_EQ(fileStat.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadBytes(strTarget).size(), 34u);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"show.qrv"});
#endif
}

TEST(RecordCutter, RoundTripsEveryTransitionOnEveryPanel)
{
    for (const CPanelSize& size : g_arrPanelSizes)
        for (EEffect effect : g_arrEffects)
        {
            SCOPED_TRACE(std::string(EffectName(effect)) + " " + std::to_string(size.m_nWidth));
            const std::vector<uint8_t> vecFile = MakeShow(effect, size, 2);
            CShowFileReader reader(size.m_nWidth, size.m_nHeight);
            ASSERT_TRUE(reader.Parse(vecFile)) << reader.Parse(vecFile).Message();
            ASSERT_EQ(reader.Pictures().size(), 2u);
            for (int i = 0; i < 2; ++i)
            {
                const CShowFilePicture& picture = reader.Pictures()[static_cast<size_t>(i)];
                EXPECT_EQ(picture.m_optEffect, effect);
                for (int y = 0; y < size.m_nHeight; y += 7)
                    for (int x = 0; x < size.m_nWidth; x += 3)
                    {
                        const CRgb cr = PatternColour(x, y, i);
                        ASSERT_EQ(picture.m_picture.GetPixel(x, y),
                                  ExpandRgb565(PackRgb565(cr.m_nRed, cr.m_nGreen, cr.m_nBlue)));
                    }
            }
        }
}

TEST(RecordCutter, EchoesPixelsInTheTransitionOrder)
{
    CScratchDir dir;
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(dir.File("a.qrv")));
    std::vector<std::pair<int, int>> vecEchoed;
    std::vector<std::pair<int, int>> vecOrder;
    ForEachEffectPosition(EEffect::Circle, 96, 64, [&](int x, int y) { vecOrder.emplace_back(x, y); });
    ASSERT_TRUE(WriteUnreadablePicture(writer, EEffect::Circle, 96, 64,
                                       [&](int x, int y, CRgb cr)
                                       {
                                           EXPECT_EQ(cr, (CRgb{255, 255, 255}));
                                           vecEchoed.emplace_back(x, y);
                                       }));
    EXPECT_EQ(vecEchoed, vecOrder);
}

TEST(RecordCutter, RefusesMismatchedPicturesAndAbandonsAStoppedPicture)
{
    CScratchDir dir;
    CShowFileWriter writer;
    ASSERT_TRUE(writer.Create(dir.File("a.qrv")));
    EXPECT_FALSE(WritePictureRecords(writer, EEffect::Normal, 96, 64, CPicture(95, 64, 24)));
    EXPECT_FALSE(WriteUnreadablePicture(writer, EEffect::Circle, 64, 96));
    EXPECT_TRUE(writer.Status());

    std::stop_source stop;
    int nEchoed = 0;
    const CStatus status = WriteUnreadablePicture(
        writer, EEffect::ShutterTopToBottom, 96, 64,
        [&](int, int, CRgb)
        {
            if (++nEchoed == 100)
                stop.request_stop();
        },
        stop.get_token());
    EXPECT_FALSE(status);
    EXPECT_EQ(nEchoed, 192); // the record being written is completed
    EXPECT_FALSE(writer.Finish());
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(ShowFileSize, EqualsTheWrittenFileForEveryEffectAndPanel)
{
    for (const CPanelSize& size : g_arrPanelSizes)
        for (const EEffect effect : g_arrEffects)
        {
            SCOPED_TRACE(EffectName(effect) + std::string(" ") + std::to_string(size.m_nWidth));
            EXPECT_EQ(ShowFileBytes(effect, size.m_nWidth, size.m_nHeight, 2),
                      MakeShow(effect, size, 2).size());
        }
    EXPECT_EQ(ShowFileBytes(EEffect::Normal, 96, 64, 3), 32u + 3 * 12302 + 2);
    EXPECT_EQ(ShowFileBytes(EEffect::Circle, 96, 64, 0), 34u);
}

} // namespace
} // namespace tramino
