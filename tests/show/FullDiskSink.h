#pragma once

#include "common/Status.h"
#include "show/ShowFileSink.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

namespace tramino::test
{

// Passes bytes to the real file until the budget is spent, then fails like a full disk.
class CFullDiskSink final : public IShowFileSink
{
public:
    CFullDiskSink(std::unique_ptr<IShowFileSink> pSink, std::string strPath, size_t nBudget)
        : m_pSink(std::move(pSink)), m_strPath(std::move(strPath)), m_nBudget(nBudget)
    {
    }
    CStatus Write(const uint8_t* pData, size_t nSize) override
    {
        if (nSize > m_nBudget)
            return ErrnoStatus("write", m_strPath, ENOSPC);
        m_nBudget -= nSize;
        return m_pSink->Write(pData, nSize);
    }
    CStatus Commit() override { return m_pSink->Commit(); }
    void Discard() override { m_pSink->Discard(); }

private:
    std::unique_ptr<IShowFileSink> m_pSink;
    std::string m_strPath;
    size_t m_nBudget;
};

} // namespace tramino::test
