#pragma once

#include "pipeline/PictureSource.h"
#include "project/Project.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tramino
{

// A row's identity: given once by its document, never reused, unchanged by moves.
using RowId = uint64_t;

// Where the picture of a row comes from.
enum class ERowSource
{
    File,        // a picture file
    GifFrame,    // frame m_nIndex of an animated GIF
    ShowPicture, // picture m_nIndex of a show file (.qrv) of the document's panel
};

// One row of the show's list.
struct CShowRow
{
    RowId m_nId = 0;
    ERowSource m_eSource = ERowSource::File;
    std::string m_strSource; // the local path of the file it comes from
    int m_nIndex = 0;        // GifFrame, ShowPicture: which one, from 1
    // A file row that takes every frame of its picture: how many it has (at least 1); 0 for a
    // row of one picture. The store holds its first frame; the show gets them all.
    int m_nFrames = 0;
    std::string m_strText;     // what the list shows: the file's path, or "show.qrv #3"
    CProjectPicture m_picture; // as the project names it, with the options that differ

    friend bool operator==(const CShowRow&, const CShowRow&) = default;
};

// Where the row's picture is converted from with the options: its file, or its frame. A picture
// of a show file is looked for under the name the project gives it, which no file answers to, so
// its conversion fails and says which.
std::unique_ptr<IPictureSource> RowPictureSource(const CShowRow& row, const CConvertOptions& options);
// The same for a picture as a project names it.
std::unique_ptr<IPictureSource> ProjectPictureSource(const CProjectPicture& picture,
                                                     const CConvertOptions& options);

// CShowRow::m_nFrames of the picture with these values: its frames counted when it takes them all
// (1 when they cannot be counted: its conversion will say why).
int TakenFrames(const CProjectPicture& picture, const CPictureValues& values);

} // namespace tramino
