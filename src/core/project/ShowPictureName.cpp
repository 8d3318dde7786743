#include "project/ShowPictureName.h"

#include <algorithm>
#include <cctype>

namespace tramino
{

namespace
{

bool EndsWithShowExtension(std::string_view strShow)
{
    constexpr std::string_view strExtension = ".qrv";
    return strShow.size() > strExtension.size() &&
           std::equal(strExtension.begin(), strExtension.end(), strShow.end() - strExtension.size(),
                      [](char cWanted, char c)
                      { return cWanted == std::tolower(static_cast<unsigned char>(c)); });
}

// strText as SHOW.qrv, strSeparator and a number from 1.
std::optional<CShowPictureName> ParseWith(std::string_view strText, std::string_view strSeparator)
{
    const size_t nSeparator = strText.rfind(strSeparator);
    if (nSeparator == std::string_view::npos)
        return std::nullopt;
    const std::string_view strShow = strText.substr(0, nSeparator);
    const std::string_view strNumber = strText.substr(nSeparator + strSeparator.size());
    if (!EndsWithShowExtension(strShow) || strNumber.empty() || strNumber.size() > 9 || strNumber[0] == '0' ||
        !std::all_of(strNumber.begin(), strNumber.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }))
        return std::nullopt;
    return CShowPictureName{std::string(strShow), std::stoi(std::string(strNumber))};
}

} // namespace

std::optional<CShowPictureName> ParseShowPictureName(std::string_view strText)
{
    return ParseWith(strText, "#");
}

std::string ShowPictureNameText(const CShowPictureName& name)
{
    return name.m_strShow + "#" + std::to_string(name.m_nPicture);
}

std::optional<CShowPictureName> ParseWindowShowPictureName(std::string_view strText)
{
    return ParseWith(strText, " #");
}

} // namespace tramino
