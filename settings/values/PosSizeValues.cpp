#include "PosSizeValues.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "Strings.h"
#include "resource.h"

namespace PosSizeValues {

namespace {

int Saturate(int64_t n) noexcept
{
    return static_cast<int>(std::clamp<int64_t>(n, INT_MIN, INT_MAX));
}

} // namespace

int ReadSignedNumber(std::wstring_view strText) noexcept
{
    bool bNegative = false;
    if (!strText.empty() && (strText.front() == L'-' || strText.front() == L'+')) {
        bNegative = strText.front() == L'-';
        strText.remove_prefix(1);
    }
    // One past INT_MAX is kept so that INT_MIN reads back whole.
    constexpr int64_t nCap = static_cast<int64_t>(INT_MAX) + 1;
    int64_t n = 0;
    for (wchar_t ch : strText) {
        if (ch < L'0' || ch > L'9')
            break;
        n = std::min<int64_t>(n * 10 + (ch - L'0'), nCap);
    }
    return Saturate(bNegative ? -n : n);
}

int& BarField(PROP_POSSIZE& ps, int nBar, int nField) noexcept
{
    const bool bVert = nBar == BAR_VERT;
    switch (nField) {
    case FIELD_Y:
        return bVert ? ps.nVertOrgY : ps.nHorzOrgY;
    case FIELD_CX:
        return bVert ? ps.nVertWidth : ps.nHorzWidth;
    case FIELD_CY:
        return bVert ? ps.nVertHeight : ps.nHorzHeight;
    default:
        return bVert ? ps.nVertOrgX : ps.nHorzOrgX;
    }
}

int BarField(const PROP_POSSIZE& ps, int nBar, int nField) noexcept
{
    return BarField(const_cast<PROP_POSSIZE&>(ps), nBar, nField);
}

std::vector<CORRECT_POSSIZE> CheckBar(const PROP_POSSIZE& ps, int nBar, const RECT& rcDesktop, int nSysSize)
{
    std::vector<CORRECT_POSSIZE> lst;
    const bool bVert = nBar == BAR_VERT;
    const int64_t x = BarField(ps, nBar, FIELD_X), y = BarField(ps, nBar, FIELD_Y);
    const int64_t cx = BarField(ps, nBar, FIELD_CX), cy = BarField(ps, nBar, FIELD_CY);
    const int64_t nLength = bVert ? cy : cx;
    const int64_t nThickness = bVert ? cx : cy;
    const int nThicknessField = bVert ? FIELD_CX : FIELD_CY;
    const int nHalf = nSysSize / 2;
    if (x < rcDesktop.left)
        lst.push_back({nBar, KIND_OFF_DESKTOP, FIELD_X, DIR_AT_LEAST, static_cast<int>(rcDesktop.left)});
    if (x + cx > rcDesktop.right)
        lst.push_back({nBar, KIND_OFF_DESKTOP, FIELD_RIGHT, DIR_AT_MOST, static_cast<int>(rcDesktop.right)});
    if (y < rcDesktop.top)
        lst.push_back({nBar, KIND_OFF_DESKTOP, FIELD_Y, DIR_AT_LEAST, static_cast<int>(rcDesktop.top)});
    if (y + cy > rcDesktop.bottom)
        lst.push_back({nBar, KIND_OFF_DESKTOP, FIELD_BOTTOM, DIR_AT_MOST, static_cast<int>(rcDesktop.bottom)});
    if (nThickness > 4 * nLength)
        lst.push_back({nBar, bVert ? KIND_WIDTH_OVER_HEIGHT : KIND_HEIGHT_OVER_WIDTH, nThicknessField, DIR_AT_MOST,
                       Saturate(4 * nLength)});
    if (nThickness < nHalf)
        lst.push_back({nBar, KIND_THIN, nThicknessField, DIR_AT_LEAST, nHalf});
    return lst;
}

std::wstring CorrectMessage(const std::vector<CORRECT_POSSIZE>& lstCorrect, HINSTANCE hInstance)
{
    if (lstCorrect.empty())
        return {};
    const auto text = [hInstance](UINT nFirst, int nIndex, int nCount) {
        return nIndex >= 1 && nIndex <= nCount ? LoadResString(nFirst + static_cast<UINT>(nIndex - 1), hInstance)
                                               : std::wstring();
    };
    const std::wstring strLine = LoadResString(IDS_POSSIZE_CORRECT_LINE, hInstance);
    std::wstring str = LoadResString(IDS_POSSIZE_CORRECT_HEAD, hInstance);
    for (const CORRECT_POSSIZE& c : lstCorrect) {
        const std::wstring strField = text(IDS_POSSIZE_FIELD_NAME, c.nField, 6);
        str += FormatString(strLine.c_str(), text(IDS_POSSIZE_BAR_NAME, c.nBar, 2).c_str(), strField.c_str(),
                            text(IDS_POSSIZE_KIND_TEXT, c.nKind, 4).c_str(), strField.c_str(), c.nLimit,
                            text(IDS_POSSIZE_DIR_TEXT, c.nDir, 2).c_str());
    }
    return str;
}

int FocusField(const CORRECT_POSSIZE& correct, int nLastFocusedField) noexcept
{
    switch (correct.nField) {
    case FIELD_RIGHT:
        return nLastFocusedField == FIELD_CX ? FIELD_CX : FIELD_X;
    case FIELD_BOTTOM:
        return nLastFocusedField == FIELD_CY ? FIELD_CY : FIELD_Y;
    default:
        return correct.nField;
    }
}

RECT PreviewBarRect(const PROP_POSSIZE& ps, int nBar, int cx, int cy, const RECT& rcWork) noexcept
{
    const int64_t nWorkWidth = static_cast<int64_t>(rcWork.right) - rcWork.left;
    const int64_t nWorkHeight = static_cast<int64_t>(rcWork.bottom) - rcWork.top;
    if (nWorkWidth <= 0 || nWorkHeight <= 0 || cx <= 0 || cy <= 0)
        return RECT{};
    const int64_t x = BarField(ps, nBar, FIELD_X), y = BarField(ps, nBar, FIELD_Y);
    const int64_t w = BarField(ps, nBar, FIELD_CX), h = BarField(ps, nBar, FIELD_CY);
    int64_t nLeft = x * cx / nWorkWidth, nRight = (x + w) * cx / nWorkWidth;
    int64_t nTop = y * cy / nWorkHeight, nBottom = (y + h) * cy / nWorkHeight;
    if (nBar == BAR_VERT) {
        if (nRight - nLeft < PREVIEW_MIN_THICKNESS) {
            if (nLeft < cx / 2)
                nRight = nLeft + PREVIEW_MIN_THICKNESS;
            else
                nLeft = nRight - PREVIEW_MIN_THICKNESS;
        }
    } else if (nBottom - nTop < PREVIEW_MIN_THICKNESS) {
        if (nTop < cy / 2)
            nBottom = nTop + PREVIEW_MIN_THICKNESS;
        else
            nTop = nBottom - PREVIEW_MIN_THICKNESS;
    }
    // Cut in 64 bits: only a rectangle inside the preview is narrowed to 32.
    if (nLeft > cx || nRight < 0 || nTop > cy || nBottom < 0)
        return RECT{};
    return RECT{static_cast<LONG>(std::max<int64_t>(nLeft, 0)), static_cast<LONG>(std::max<int64_t>(nTop, 0)),
                static_cast<LONG>(std::min<int64_t>(nRight, cx)), static_cast<LONG>(std::min<int64_t>(nBottom, cy))};
}

} // namespace PosSizeValues
