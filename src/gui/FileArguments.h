#pragma once

#include <QString>
#include <QStringList>

namespace tramino
{

struct CWindowTexts;

// What the window does with a file it is given by name, dropped or opened again from the
// recent files, known by the ending of its name in any letter case.
enum class EFileUse
{
    Picture, // listed as Load Image lists it
    Project, // opened as Open project opens it
    Show,    // opened as Open show opens it
    Unknown,
};

EFileUse FileUseOf(const QString& strPath);

// The files named on the command line, sorted by their use.
struct CFileArguments
{
    QString m_strProject;
    QStringList m_vecPictures; // in their order, for one import
    QStringList m_vecShows;
    // Why each of the others is not opened, in the window's language: it cannot be read, is of
    // no known kind, or is a second project.
    QStringList m_vecRejected;
};

CFileArguments SortFileArguments(const QStringList& vecPaths, const CWindowTexts& texts);

} // namespace tramino
