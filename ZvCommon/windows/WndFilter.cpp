#include "WndFilter.h"

#include <vector>

#include "../../outside/ZvImgNm64/ZvImgNm64.h"
#include "LogManager.h"
#include "OSClass.h"

namespace {

bool IsMinimizedShowCmd(UINT nShowCmd)
{
    return nShowCmd == SW_SHOWMINIMIZED || nShowCmd == SW_MINIMIZE;
}

bool Contains(const std::wstring& str, LPCWSTR pszPart)
{
    return str.find(pszPart) != std::wstring::npos;
}

bool IsOwnTitle(const std::wstring& strTitle)
{
    for (LPCWSTR psz : {ZV_HIDDEN_MAIN_WND_TITLE, ZV_SCRLBAR_H_WND_TITLE, ZV_SCRLBAR_V_WND_TITLE,
                        ZV_PROPERTY_WND_TITLE, LOG_VIEWER_WND_TITLE}) {
        if (strTitle == psz)
            return true;
    }
    return false;
}

// The verdict of the class and title rules, before the executable is looked at.
int JudgeByTitle(const WND_FACTS& facts, int nOSClass)
{
    if (!facts.bIsWindow)
        return WNDFLT_NOT_WINDOW;
    // An owned window hidden with its minimised owner comes back with it, so it keeps its place.
    if (!facts.bVisible && !facts.bOwnerMinimized)
        return WNDFLT_INVISIBLE;
    if (facts.bEmptyRect)
        return WNDFLT_INVISIBLE;
    if (Contains(facts.strClass, WNDFLT_IME_CLASS_PART))
        return WNDFLT_INPUT;
    if (facts.strClass == WNDFLT_TRAY_CLASS)
        return WNDFLT_TASKBAR;
    if (facts.strTitle.empty())
        return WNDFLT_UNTITLED;
    if (IsOwnTitle(facts.strTitle))
        return WNDFLT_OWN;
    if (Contains(facts.strTitle, WNDFLT_LANGBAR_TITLE_PART) || facts.strTitle == WNDFLT_PROGMAN_TITLE)
        return WNDFLT_DESKTOP;
    if (IsNt6ShellOSClass(nOSClass) && facts.strClass == WNDFLT_START_CLASS &&
        facts.strTitle == WNDFLT_START_TITLE && facts.bHasOwner)
        return facts.strOwnerClass == WNDFLT_TRAY_CLASS ? WNDFLT_TASKBAR : WNDFLT_ORDINARY;
    return WNDFLT_ORDINARY;
}

bool NeedsImageName(int nResult, int nOSClass)
{
    return (nResult == WNDFLT_ORDINARY || nResult == WNDFLT_UNTITLED) && IsNt6ShellOSClass(nOSClass);
}

} // namespace

int JudgeWndFacts(const WND_FACTS& facts, int nOSClass)
{
    const int nResult = JudgeByTitle(facts, nOSClass);
    if (!NeedsImageName(nResult, nOSClass))
        return nResult;
    if (facts.bImageName && facts.strImageName == WNDFLT_GADGET_IMAGE)
        return WNDFLT_INPUT;
    return nResult;
}

std::wstring GetWndTitle(HWND hWnd)
{
    // GetWindowTextLengthW would send WM_GETTEXTLENGTH even to another program's window, which
    // waits for ever on a hung program; GetWindowTextW reads such a title without asking it.
    // A title that fills the buffer may have been cut, so the buffer grows until it does not.
    constexpr size_t nMax = 0x10000;
    std::vector<wchar_t> buf(256, L'\0');
    for (;;) {
        const int nGot = GetWindowTextW(hWnd, buf.data(), static_cast<int>(buf.size()));
        const size_t nLen = nGot > 0 ? static_cast<size_t>(nGot) : 0;
        if (nLen + 1 < buf.size() || buf.size() >= nMax)
            return std::wstring(buf.data(), nLen);
        buf.assign(buf.size() * 2, L'\0');
    }
}

std::wstring GetWndClass(HWND hWnd)
{
    wchar_t sz[WNDFLT_CLASS_MAX + 1] = {};
    const int nGot = GetClassNameW(hWnd, sz, WNDFLT_CLASS_MAX + 1);
    return std::wstring(sz, nGot > 0 ? static_cast<size_t>(nGot) : 0);
}

BOOL GetWndImageName(HWND hWnd, std::wstring& strName)
{
    std::vector<wchar_t> buf(WNDFLT_IMAGE_MAX + 1, L'\0');
    if (!GetImageName(hWnd, buf.data(), WNDFLT_IMAGE_MAX)) {
        strName.clear();
        return FALSE;
    }
    strName = buf.data();
    return TRUE;
}

namespace {

// The owner's facts, as GatherWndFacts reads them.
void ReadOwnerFacts(HWND hWnd, WND_FACTS& facts)
{
    HWND hWndOwner = GetWindow(hWnd, GW_OWNER);
    facts.bHasOwner = hWndOwner && IsWindow(hWndOwner);
    if (!facts.bHasOwner)
        return;
    facts.strOwnerClass = GetWndClass(hWndOwner);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    facts.bOwnerMinimized = GetWindowPlacement(hWndOwner, &wp) && IsMinimizedShowCmd(wp.showCmd);
}

bool IsOwnerMinimized(HWND hWnd)
{
    HWND hWndOwner = GetWindow(hWnd, GW_OWNER);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    // A gone owner has no placement.
    return hWndOwner && GetWindowPlacement(hWndOwner, &wp) && IsMinimizedShowCmd(wp.showCmd);
}

} // namespace

WND_FACTS GatherWndFacts(HWND hWnd, int nOSClass)
{
    WND_FACTS facts;
    facts.bIsWindow = hWnd && IsWindow(hWnd);
    if (!facts.bIsWindow)
        return facts;
    facts.bVisible = IsWindowVisible(hWnd);
    ReadOwnerFacts(hWnd, facts);
    RECT rc{};
    facts.bEmptyRect = GetWindowRect(hWnd, &rc) && IsRectEmpty(&rc);
    facts.strClass = GetWndClass(hWnd);
    facts.strTitle = GetWndTitle(hWnd);
    if (NeedsImageName(JudgeByTitle(facts, nOSClass), nOSClass))
        facts.bImageName = GetWndImageName(hWnd, facts.strImageName);
    return facts;
}

int FilterWnd(HWND hWnd, int nOSClass)
{
    return JudgeWndFacts(GatherWndFacts(hWnd, nOSClass), nOSClass);
}

const std::wstring* ImageNameOf(IMAGE_NAME_MEMO& memo, HWND hWnd, DWORD dwPid)
{
    auto it = memo.find(dwPid);
    if (it == memo.end()) {
        std::wstring strName;
        it = memo.emplace(dwPid, GetWndImageName(hWnd, strName) ? std::optional(std::move(strName)) : std::nullopt)
                 .first;
    }
    return it->second ? &*it->second : nullptr;
}

WND_LOOK LookAtTopLevelWnd(HWND hWnd, int nOSClass, IMAGE_NAME_MEMO& images)
{
    WND_LOOK look;
    WND_FACTS& facts = look.facts;
    // The process proves the window alive in the same call.
    look.dwTid = hWnd ? GetWindowThreadProcessId(hWnd, &look.dwPid) : 0;
    facts.bIsWindow = look.dwTid != 0;
    if (!facts.bIsWindow)
        return look;
    // A top-level window's parent is the desktop, which is always shown: its own style tells what
    // IsWindowVisible would, without asking for the parents as well.
    look.lStyle = GetWindowLongW(hWnd, GWL_STYLE);
    facts.bVisible = (look.lStyle & WS_VISIBLE) != 0;
    bool bOwnerRead = false;
    if (!facts.bVisible) {
        // Invisible and not hidden with a minimised owner: nothing else can change the verdict.
        if (!IsOwnerMinimized(hWnd))
            return look;
        ReadOwnerFacts(hWnd, facts);
        bOwnerRead = true;
    }
    look.bRect = GetWindowRect(hWnd, &look.rc);
    facts.bEmptyRect = look.bRect && IsRectEmpty(&look.rc);
    if (facts.bEmptyRect)
        return look;
    facts.strClass = GetWndClass(hWnd);
    facts.strTitle = GetWndTitle(hWnd);
    // Only the Start button's verdict turns on its owner.
    if (!bOwnerRead && IsNt6ShellOSClass(nOSClass) && facts.strClass == WNDFLT_START_CLASS &&
        facts.strTitle == WNDFLT_START_TITLE)
        ReadOwnerFacts(hWnd, facts);
    if (NeedsImageName(JudgeByTitle(facts, nOSClass), nOSClass)) {
        if (const std::wstring* pName = ImageNameOf(images, hWnd, look.dwPid)) {
            facts.bImageName = TRUE;
            facts.strImageName = *pName;
        }
    }
    return look;
}
