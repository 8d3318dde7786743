// Show files come from anywhere. Read as `check --detect` reads them (every panel of the table,
// no pictures rebuilt) and, with pictures rebuilt, for a small panel the fuzzer can fill.
#include "FuzzCheck.h"

#include "settings/PanelSize.h"
#include "show/ShowFileReader.h"

#include <span>

using namespace tramino;

namespace
{

void ReadFor(std::span<const uint8_t> bytes, int nWidth, int nHeight, bool bRebuild)
{
    CShowFileReader reader(nWidth, nHeight, bRebuild);
    const CStatus status = reader.Parse(bytes, "fuzz");
    FUZZ_CHECK(status.IsOk() == !reader.Violation(), "a violation and success at once");
    if (reader.Violation())
        FUZZ_CHECK(reader.Violation()->m_nOffset <= bytes.size() && !reader.Violation()->m_strProblem.empty(),
                   "a violation outside the file or without a reason");
    uint64_t nLastOffset = 0;
    for (const CShowFilePicture& picture : reader.Pictures())
    {
        FUZZ_CHECK(picture.m_nRecords > 0, "a picture without records");
        FUZZ_CHECK(picture.m_nOffset >= nLastOffset && picture.m_nOffset < bytes.size(),
                   "pictures out of order or outside the file");
        nLastOffset = picture.m_nOffset;
        if (bRebuild)
            FUZZ_CHECK(picture.m_picture.Width() == nWidth && picture.m_picture.Height() == nHeight,
                       "a rebuilt picture that is not the panel size");
        else
            FUZZ_CHECK(picture.m_picture.IsEmpty(), "a picture rebuilt when that was not asked for");
    }
    const std::optional<CShowFileViolation> optProblem = reader.FirstProblem();
    if (optProblem)
        FUZZ_CHECK(optProblem->m_nOffset <= bytes.size(), "a problem outside the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::span<const uint8_t> bytes(pData, nSize);
    ReadFor(bytes, 16, 8, true);
    for (const CPanelSize& size : g_arrPanelSizes)
        ReadFor(bytes, size.m_nWidth, size.m_nHeight, false);
    return 0;
}
