#include "settings/LangTable.h"

#include <algorithm>
#include <vector>

namespace tramino
{

CLangTable CLangTable::Read(const CProfileFile& file, std::string_view strSection)
{
    std::vector<std::string> vecKeys;
    vecKeys.reserve(kTextCount);
    for (int i = 0; i < kTextCount; ++i)
        vecKeys.push_back("TEXT" + std::to_string(i));
    std::vector<std::string> vecValues = file.GetStrings(strSection, vecKeys);
    CLangTable table;
    std::move(vecValues.begin(), vecValues.end(), table.m_arrTexts.begin());
    return table;
}

CLangTable CLangTable::Load(const std::filesystem::path& path, std::string_view strSection)
{
    return Read(CProfileFile::Load(path), strSection);
}

const std::string& CLangTable::Text(int nIndex) const
{
    static const std::string s_strEmpty;
    if (nIndex < 0 || nIndex >= kTextCount)
        return s_strEmpty;
    return m_arrTexts[static_cast<size_t>(nIndex)];
}

} // namespace tramino
