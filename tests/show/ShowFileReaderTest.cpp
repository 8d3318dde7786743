#include "ShowTestSupport.h"

#include "show/ShowFileReader.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tramino
{
namespace
{
using namespace test;

// Hand-made files for a small 4 x 2 panel.
class CFileBuilder
{
public:
    CFileBuilder()
    {
        m_vecBytes.assign(32, 0);
        std::copy_n("NUVQRV", 6, m_vecBytes.begin());
    }
    CFileBuilder& Put16(uint16_t n)
    {
        m_vecBytes.push_back(static_cast<uint8_t>(n >> 8));
        m_vecBytes.push_back(static_cast<uint8_t>(n));
        return *this;
    }
    CFileBuilder& Record(uint16_t nX0, uint16_t nX1, uint16_t nY0, uint16_t nY1, uint32_t nCount)
    {
        Put16(nX0).Put16(nX1).Put16(nY0).Put16(nY1).Put16(static_cast<uint16_t>(nCount >> 16));
        Put16(static_cast<uint16_t>(nCount));
        for (uint32_t i = 0; i < nCount; ++i)
            Put16(0xFFFF); // pixels that look like markers
        return *this;
    }
    const std::vector<uint8_t>& Bytes() const { return m_vecBytes; }

private:
    std::vector<uint8_t> m_vecBytes;
};

std::optional<CShowFileViolation> ProblemOf(const std::vector<uint8_t>& vecFile, CPanelSize size)
{
    CShowFileReader reader(size.m_nWidth, size.m_nHeight, false);
    static_cast<void>(reader.Parse(vecFile)); // the problem says more than the status
    return reader.FirstProblem();
}

uint64_t ProblemOffset(const std::vector<uint8_t>& vecFile, CPanelSize size = {4, 2})
{
    const std::optional<CShowFileViolation> optProblem = ProblemOf(vecFile, size);
    return optProblem ? optProblem->m_nOffset : ~uint64_t{0};
}

TEST(ShowFileReader, ReportsTruncationWhereTheCutItemStarts)
{
    const std::vector<uint8_t> vecFile = MakeShow(EEffect::Circle, {96, 64}, 1);
    const auto Cut = [&](size_t nLength)
    {
        return ProblemOffset(
            std::vector<uint8_t>(vecFile.begin(), vecFile.begin() + static_cast<long>(nLength)), {96, 64});
    };
    EXPECT_EQ(Cut(0), 0u);
    EXPECT_EQ(Cut(31), 0u);
    EXPECT_EQ(Cut(32), 32u);
    EXPECT_EQ(Cut(40), 32u);
    EXPECT_EQ(Cut(44), 44u);
    EXPECT_EQ(Cut(44 + 127), 44u);
    EXPECT_EQ(Cut(vecFile.size() - 1), vecFile.size() - 2);
    EXPECT_EQ(Cut(vecFile.size() - 2), vecFile.size() - 2);
    EXPECT_EQ(Cut(vecFile.size() - 3), vecFile.size() - 4);
    for (size_t nLength = 0; nLength < vecFile.size(); nLength += 13)
        ASSERT_LE(Cut(nLength), nLength);
    EXPECT_FALSE(ProblemOf(vecFile, {96, 64}));
}

TEST(ShowFileReader, RejectsBytesAfterTheEndMarker)
{
    std::vector<uint8_t> vecFile = MakeShow(EEffect::Normal, {96, 64}, 1);
    const size_t nEnd = vecFile.size();
    vecFile.push_back(0);
    CShowFileReader reader(96, 64);
    const CStatus status = reader.Parse(vecFile, "x.qrv");
    EXPECT_EQ(status.Message(), "'x.qrv' is not a valid show file for a 96 x 64 panel: at byte " +
                                    std::to_string(nEnd) + ": 1 bytes follow the end marker FF F8");
    EXPECT_EQ(reader.Pictures().size(), 1u);
    vecFile.back() = 0xFF;
    vecFile.push_back(0xF8);
    EXPECT_EQ(ProblemOffset(vecFile, {96, 64}), nEnd);
}

TEST(ShowFileReader, PointsAtTheFieldThatBreaksTheFormat)
{
    const std::vector<uint8_t> vecGood =
        CFileBuilder().Record(0, 3, 0, 1, 8).Put16(0xFFFF).Put16(0xFFF8).Bytes();
    EXPECT_FALSE(ProblemOf(vecGood, {4, 2}));
    const auto Patched = [&](size_t nAt, uint8_t nValue)
    {
        std::vector<uint8_t> vecFile = vecGood;
        vecFile[nAt] = nValue;
        return ProblemOffset(vecFile);
    };
    EXPECT_EQ(Patched(3, 'q'), 3u);
    EXPECT_EQ(Patched(20, 1), 20u);
    EXPECT_EQ(Patched(33, 4), 32u); // x0 outside
    EXPECT_EQ(Patched(35, 4), 34u); // x1 outside
    EXPECT_EQ(Patched(37, 2), 36u); // y0 outside
    EXPECT_EQ(Patched(39, 2), 38u); // y1 outside
    EXPECT_EQ(Patched(39, 0), 40u); // now a 4-pixel window with n = 8
    EXPECT_EQ(Patched(43, 7), 40u); // n
    EXPECT_EQ(Patched(40, 0x80), 40u);

    // The same pixel twice, a picture that ends early, a missing FF FF, an empty picture.
    EXPECT_EQ(ProblemOffset(CFileBuilder().Record(0, 3, 0, 1, 8).Record(2, 2, 1, 1, 1).Put16(0xFFFF).Bytes()),
              32u + 28 + 12);
    EXPECT_EQ(ProblemOffset(CFileBuilder().Record(0, 3, 0, 0, 4).Put16(0xFFFF).Put16(0xFFF8).Bytes()), 52u);
    EXPECT_EQ(ProblemOffset(CFileBuilder().Record(0, 3, 0, 1, 8).Put16(0xFFF8).Bytes()), 60u);
    EXPECT_EQ(ProblemOffset(CFileBuilder().Put16(0xFFFF).Put16(0xFFF8).Bytes()), 32u);
    // y1 = y0 - 1 is not the empty form; x1 = x0 - 1 is.
    EXPECT_EQ(ProblemOffset(CFileBuilder().Record(1, 1, 1, 0, 0).Bytes()), 38u);
    EXPECT_EQ(
        ProblemOffset(
            CFileBuilder().Record(0, 3, 0, 1, 8).Record(2, 1, 0, 0, 0).Put16(0xFFFF).Put16(0xFFF8).Bytes()),
        32u + 28); // valid, but no transition writes that empty record
    // No pictures at all is well-formed.
    EXPECT_FALSE(ProblemOf(CFileBuilder().Put16(0xFFF8).Bytes(), {4, 2}));
}

TEST(ShowFileReader, RejectsEverySingleByteCorruptionOfRecordHeadsAndMarkers)
{
    const std::vector<std::pair<EEffect, CPanelSize>> vecCases{{EEffect::Normal, {96, 64}},
                                                               {EEffect::ShutterLeftToRight, {96, 64}},
                                                               {EEffect::ShutterTopToBottom, {96, 64}},
                                                               {EEffect::Circle, {96, 64}},
                                                               {EEffect::Circle, {128, 128}}};
    for (const auto& [effect, size] : vecCases)
    {
        SCOPED_TRACE(std::string(EffectName(effect)) + " " + std::to_string(size.m_nWidth));
        std::vector<uint8_t> vecFile = MakeShow(effect, size, 2);
        // The offsets of heads and markers, walked from the layout.
        std::vector<size_t> vecStructure;
        size_t nAt = 32;
        for (int nPicture = 0; nPicture < 2; ++nPicture)
        {
            ForEachEffectRecord(effect, size.m_nWidth, size.m_nHeight,
                                [&](const CRecordWindow& window)
                                {
                                    for (size_t i = 0; i < 12; ++i)
                                        vecStructure.push_back(nAt + i);
                                    nAt += 12 + 2 * static_cast<size_t>(window.Area());
                                });
            vecStructure.insert(vecStructure.end(), {nAt, nAt + 1});
            nAt += 2;
        }
        vecStructure.insert(vecStructure.end(), {nAt, nAt + 1});
        ASSERT_EQ(nAt + 2, vecFile.size());

        for (size_t nByte : vecStructure)
        {
            const uint8_t nOriginal = vecFile[nByte];
            // The lowest and the highest bit, and the whole byte.
            for (const int nValue : {nOriginal ^ 0x01, nOriginal ^ 0x80, nOriginal ^ 0xFF})
            {
                vecFile[nByte] = static_cast<uint8_t>(nValue);
                ASSERT_TRUE(ProblemOf(vecFile, size)) << "byte " << nByte << " = " << nValue;
            }
            vecFile[nByte] = nOriginal;
        }
    }
}

TEST(ShowFileReader, ReadsFilesAndDetectsTheirPanel)
{
    CScratchDir dir;
    for (const CPanelSize& size : g_arrPanelSizes)
    {
        const std::string strPath =
            dir.File(std::to_string(size.m_nWidth) + "x" + std::to_string(size.m_nHeight));
        const std::vector<uint8_t> vecFile = MakeShow(EEffect::ShutterTopToBottom, size, 1);
        std::ofstream(strPath, std::ios::binary)
            .write(reinterpret_cast<const char*>(vecFile.data()),
                   static_cast<std::streamsize>(vecFile.size()));
        const CResult<CPanelSize> detected = DetectShowFilePanel(strPath);
        ASSERT_TRUE(detected);
        EXPECT_EQ(detected.Value(), size);
    }
    CShowFileReader reader(96, 64);
    EXPECT_TRUE(reader.ReadFile(dir.File("96x64")));
    EXPECT_EQ(reader.Pictures().at(0).m_picture.Width(), 96);
    EXPECT_EQ(reader.ReadFile(dir.File("none")).Message(),
              "Cannot read '" + dir.File("none") + "': No such file or directory");
    EXPECT_FALSE(reader.Violation());
    EXPECT_FALSE(reader.ReadFile(dir.Path().string()));
    EXPECT_FALSE(CShowFileReader(65535, 65535).Parse({}));
    EXPECT_FALSE(DetectShowFilePanel(dir.File("none")));
}

} // namespace
} // namespace tramino
