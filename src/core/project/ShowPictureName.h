#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tramino
{

// A picture taken from a show file: the show and the picture's number in it, counted from 1.
struct CShowPictureName
{
    std::string m_strShow;
    int m_nPicture = 0;

    friend bool operator==(const CShowPictureName&, const CShowPictureName&) = default;
};

// "SHOW.qrv#K", the form a command line names such a picture by: a show's name (.qrv in any case)
// and a number from 1 with nothing after it. A text of that form always means a show's picture,
// never a file of that name.
std::optional<CShowPictureName> ParseShowPictureName(std::string_view strText);

// The text ParseShowPictureName reads back.
std::string ShowPictureNameText(const CShowPictureName& name);

// "SHOW.qrv #K", the name the window gave such a picture in a project before a project could
// hold it: a path no file answers to.
std::optional<CShowPictureName> ParseWindowShowPictureName(std::string_view strText);

} // namespace tramino
