#include "show/ShowFileSink.h"

#include "common/ReplacingFile.h"

namespace tramino
{

namespace
{

class CReplacingShowFileSink final : public IShowFileSink
{
public:
    explicit CReplacingShowFileSink(CReplacingFile file) : m_file(std::move(file)) {}

    CStatus Write(const uint8_t* pData, size_t nSize) override { return m_file.Write(pData, nSize); }
    CStatus Commit() override { return m_file.Commit(); }
    void Discard() override { m_file.Discard(); }

private:
    CReplacingFile m_file;
};

} // namespace

CResult<std::unique_ptr<IShowFileSink>> OpenReplacingFile(const std::string& strPath)
{
    CResult<CReplacingFile> file = CReplacingFile::Open(strPath);
    if (!file)
        return file.Status();
    return CResult<std::unique_ptr<IShowFileSink>>(
        std::make_unique<CReplacingShowFileSink>(std::move(file).Value()));
}

} // namespace tramino
