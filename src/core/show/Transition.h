#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace tramino
{

// The four ways a picture can be laid over the panel.
enum class EEffect
{
    Normal,
    ShutterLeftToRight,
    ShutterTopToBottom,
    Circle,
};

inline constexpr std::array<EEffect, 4> g_arrEffects{EEffect::Normal, EEffect::ShutterLeftToRight,
                                                     EEffect::ShutterTopToBottom, EEffect::Circle};

// "Normal", "Shutter(Left to Right)", "Shutter(Top to Bottom)" or "Circle".
const char* EffectName(EEffect effect);

// The effect whose canonical name equals strName exactly; none for any other text.
std::optional<EEffect> SelectEffect(std::string_view strName);

// Short names of the effects, in the order of g_arrEffects, that need no quoting in a shell.
inline constexpr std::array<std::string_view, 4> g_arrEffectAliases{"normal", "shutter-lr", "shutter-tb",
                                                                    "circle"};

// The effect a name stands for: the first of arrNames (in the order of g_arrEffects) equal to it,
// else the effect whose canonical name it is, else none (comparisons exact and case-sensitive).
// The window passes the language texts its mode combo box shows, the command line the aliases.
template <class TNames> std::optional<EEffect> ResolveEffect(std::string_view strName, const TNames& arrNames)
{
    for (size_t i = 0; i < g_arrEffects.size() && i < std::size(arrNames); ++i)
        if (strName == arrNames[i])
            return g_arrEffects[i];
    return SelectEffect(strName);
}

// A rectangle of the panel with inclusive bounds. An empty window has x1 = x0 - 1.
struct CRecordWindow
{
    int m_nX0 = 0;
    int m_nX1 = 0;
    int m_nY0 = 0;
    int m_nY1 = 0;

    // Pixels in the window; negative sizes count as none.
    int64_t Area() const;

    friend bool operator==(const CRecordWindow&, const CRecordWindow&) = default;
};

// Every effect is cut into windows (single rows, single columns or the whole panel) whose
// row-major pixels, window after window, are the effect's pixel order. The windows are the
// records of the show file, so the file and the preview can never disagree on the order.
int EffectRecordCount(EEffect effect, int nWidth, int nHeight);
// Window nIndex (0 <= nIndex < EffectRecordCount) in O(1), so orders can be walked without storage.
CRecordWindow EffectRecord(EEffect effect, int nWidth, int nHeight, int nIndex);

// Whether the effect's order visits every pixel of a W x H panel exactly once. True for every
// effect on every panel of the size table; the circle needs W >= H with H even, the shutters
// need W divisible by their band count and H by 8.
bool EffectCoversPanel(EEffect effect, int nWidth, int nHeight);

// Calls fn(window) for each window of the effect in order.
template <class TFn> void ForEachEffectRecord(EEffect effect, int nWidth, int nHeight, TFn&& fn)
{
    const int nCount = EffectRecordCount(effect, nWidth, nHeight);
    for (int i = 0; i < nCount; ++i)
        fn(EffectRecord(effect, nWidth, nHeight, i));
}

// Calls fn(x, y) for each pixel position of the effect in order. When fn returns bool, false
// stops the walk early; the function then returns false.
template <class TFn> bool ForEachEffectPosition(EEffect effect, int nWidth, int nHeight, TFn&& fn)
{
    constexpr bool bCanStop = std::is_same_v<std::invoke_result_t<TFn&, int, int>, bool>;
    const int nCount = EffectRecordCount(effect, nWidth, nHeight);
    for (int i = 0; i < nCount; ++i)
    {
        const CRecordWindow window = EffectRecord(effect, nWidth, nHeight, i);
        for (int y = window.m_nY0; y <= window.m_nY1; ++y)
            for (int x = window.m_nX0; x <= window.m_nX1; ++x)
            {
                if constexpr (bCanStop)
                {
                    if (!fn(x, y))
                        return false;
                }
                else
                    fn(x, y);
            }
    }
    return true;
}

} // namespace tramino
