#pragma once

namespace tramino
{

// What a message box says, and so the icon it shows.
enum class EMessageKind
{
    Information, // a command did what was asked
    Warning,     // the window goes on, but not quite as the user set it up
    Error,       // something failed
};

} // namespace tramino
