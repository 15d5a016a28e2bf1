#include "WndEnumerator.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "../../outside/ZvImgNm64/ZvImgNm64.h"
#include "UntitledWndName.h"
#include "WndUtil.h"

int g_nWndsChanged = 1;

namespace {

// Whether the text is in the list; moves it to the head when it is.
BOOL BringToHead(std::vector<std::wstring>* plst, LPCWSTR pszText)
{
    if (!plst || !pszText)
        return FALSE;
    auto it = std::find(plst->begin(), plst->end(), pszText);
    if (it == plst->end())
        return FALSE;
    std::rotate(plst->begin(), it, it + 1);
    return TRUE;
}

LPCWSTR FindInList(const std::vector<std::wstring>* plst, const std::wstring& strText)
{
    auto it = std::find(plst->begin(), plst->end(), strText);
    return it == plst->end() ? nullptr : it->c_str();
}

bool IsEmptyList(const std::vector<std::wstring>* plst)
{
    return !plst || plst->empty();
}

struct TOPLEVEL_SEARCH {
    const std::function<bool(HWND)>* pPred;
    HWND hWndFound;
};

BOOL CALLBACK FindTopLevelProc(HWND hWnd, LPARAM lParam)
{
    auto* p = reinterpret_cast<TOPLEVEL_SEARCH*>(lParam);
    if (!(*p->pPred)(hWnd))
        return TRUE;
    p->hWndFound = hWnd;
    return FALSE;
}

HWND FindTopLevelIf(const std::function<bool(HWND)>& pred)
{
    TOPLEVEL_SEARCH search{&pred, nullptr};
    EnumWindows(&FindTopLevelProc, reinterpret_cast<LPARAM>(&search));
    return search.hWndFound;
}

} // namespace

HWND FindTopLevelByTitle(LPCWSTR pszTitle)
{
    return FindTopLevelIf([pszTitle](HWND hWnd) { return GetWndTitle(hWnd) == pszTitle; });
}

HWND FindTopLevelByClass(LPCWSTR pszClass)
{
    return FindTopLevelIf([pszClass](HWND hWnd) { return GetWndClass(hWnd) == pszClass; });
}

HWND FindHelpWnd()
{
    return FindTopLevelByTitle(ZV_HELP_WND_TITLE);
}

CWndEnumerator::CWndEnumerator(int nOSClass, std::vector<std::wstring>* plstTitle,
                               std::vector<std::wstring>* plstApp, const BOOL* pbOwnWnd,
                               const BOOL* pbTitledOnly)
    : m_plstTitle(plstTitle), m_plstApp(plstApp), m_pbOwnWnd(pbOwnWnd), m_pbTitledOnly(pbTitledOnly),
      m_nOSClass(nOSClass)
{
    g_nWndsChanged = 1;
    m_hWndProgman = FindTopLevelByTitle(WNDFLT_PROGMAN_TITLE);
    m_hWndTray = FindTopLevelByClass(WNDFLT_TRAY_CLASS);
}

CWndEnumerator::~CWndEnumerator() = default;

BOOL CWndEnumerator::IsListedResult(int nResult, BOOL bTitledOnly) noexcept
{
    return nResult == WNDFLT_ORDINARY || (nResult == WNDFLT_UNTITLED && !bTitledOnly);
}

BOOL CALLBACK CWndEnumerator::EnumWndProc(HWND hWnd, LPARAM lParam)
{
    auto* pThis = reinterpret_cast<CWndEnumerator*>(lParam);
    if (IsListedResult(FilterWnd(hWnd, pThis->m_nOSClass), pThis->IsTitledOnly()))
        pThis->m_lstWnd.push_back(hWnd);
    return TRUE;
}

void CWndEnumerator::EnumIntoWndList()
{
    EnumWindows(&CWndEnumerator::EnumWndProc, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK CWndEnumerator::CollectWndProc(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

BOOL CWndEnumerator::EnumerateWnds()
{
    // The snapshot is the fallback list of the fixed applications only: a program is named by
    // asking it, and one that refuses is looked up in a snapshot taken then.
    const BOOL bProcessList = IsEmptyList(m_plstApp) ? FALSE : UpdateProcessList();
    m_lstWnd.clear();
    m_lstMoveWnd.clear();
    m_lstFixWnd.clear();
    m_mapCounted.clear();

    std::vector<HWND> lstTopLevel;
    EnumWindows(&CWndEnumerator::CollectWndProc, reinterpret_cast<LPARAM>(&lstTopLevel));

    // Windows of one program share its name: each program is asked once per enumeration.
    IMAGE_NAME_MEMO mapImage;
    for (HWND hWnd : lstTopLevel) {
        const WND_LOOK look = LookAtTopLevelWnd(hWnd, m_nOSClass, mapImage);
        if (!IsListedResult(JudgeWndFacts(look.facts, m_nOSClass), IsTitledOnly()))
            continue;
        m_lstWnd.push_back(hWnd);
        // A window whose program cannot be named is neither moved nor fixed.
        const std::wstring* pImage = ImageNameOf(mapImage, hWnd, look.dwPid);
        if (!pImage)
            continue;
        const std::wstring& strImage = *pImage;
        if (LPCWSTR pszTitle = GetFixTitleStr(hWnd)) {
            // Once an application is fixed, its windows stay fixed by application.
            if (FindFixApp(strImage.c_str()))
                AppendFix(new CFixApp(hWnd, strImage.c_str()));
            else
                AppendFix(new CFixTitle(hWnd, pszTitle));
        } else if (LPCWSTR pszApp = FixAppStrOfImage(bProcessList, strImage)) {
            AppendFix(new CFixApp(hWnd, pszApp));
        } else {
            m_lstMoveWnd.push_back(hWnd);
            m_mapCounted[hWnd] = WND_COUNTED{look.dwTid, (look.lStyle & WS_MINIMIZE) != 0, look.bRect, look.rc};
        }
    }

    if (HWND hWndMain = FindMainWnd()) {
        if (std::find(m_lstMoveWnd.begin(), m_lstMoveWnd.end(), hWndMain) == m_lstMoveWnd.end() &&
            !FindFixWnd(hWndMain))
            m_lstMoveWnd.push_back(hWndMain);
    }
    m_mapOwner.clear();
    for (HWND hWnd : m_lstMoveWnd)
        m_mapOwner[hWnd] = GetWindow(hWnd, GW_OWNER);

    g_nWndsChanged = 0;
    return TRUE;
}

const WND_COUNTED* CWndEnumerator::FindCounted(HWND hWnd) const
{
    const auto it = m_mapCounted.find(hWnd);
    return it == m_mapCounted.end() ? nullptr : &it->second;
}

LPCWSTR CWndEnumerator::FixAppStrOfImage(BOOL bProcessList, const std::wstring& strImage) const
{
    if (IsEmptyList(m_plstApp) || !bProcessList || strImage.empty())
        return nullptr;
    return FindInList(m_plstApp, strImage);
}

std::wstring CWndEnumerator::GetWndMatchText(HWND hWnd) const
{
    if (!IsWindow(hWnd))
        return {};
    std::wstring strText = GetWndTitle(hWnd);
    if (strText.empty() && !IsTitledOnly())
        GetUntitledWndName(hWnd, strText);
    return strText;
}

LPCWSTR CWndEnumerator::GetFixTitleStr(HWND hWnd) const
{
    if (IsEmptyList(m_plstTitle) || !IsWindow(hWnd))
        return nullptr;
    return FindInList(m_plstTitle, GetWndMatchText(hWnd));
}

LPCWSTR CWndEnumerator::GetFixAppStr(HWND hWnd) const
{
    if (IsEmptyList(m_plstApp))
        return nullptr;
    return FixAppStrOfWnd(UpdateProcessList(), hWnd);
}

LPCWSTR CWndEnumerator::FixAppStrOfWnd(BOOL bProcessList, HWND hWnd) const
{
    if (IsEmptyList(m_plstApp) || !bProcessList)
        return nullptr;
    std::wstring strImage;
    if (!GetWndImageName(hWnd, strImage))
        return nullptr;
    return FixAppStrOfImage(bProcessList, strImage);
}

BOOL CWndEnumerator::IsMoveWnd(HWND hWnd)
{
    // The system is asked about this window alone: every activation asks, and a look at each
    // entry's window costs a call to the window server under Wine.
    if (!hWnd)
        return FALSE;
    const auto it = std::find(m_lstMoveWnd.begin(), m_lstMoveWnd.end(), hWnd);
    if (it == m_lstMoveWnd.end())
        return FALSE;
    if (IsWindow(hWnd))
        return TRUE;
    m_lstMoveWnd.erase(it);
    return FALSE;
}

CFixWnd* CWndEnumerator::FindFixWnd(HWND hWnd) const
{
    if (!hWnd)
        return nullptr;
    for (const auto& pFix : m_lstFixWnd) {
        if (pFix->hWnd == hWnd)
            return IsWindow(hWnd) ? pFix.get() : nullptr;
    }
    return nullptr;
}

HWND CWndEnumerator::GetOwnedMoveWnd(HWND hWndOwner) const
{
    if (!hWndOwner)
        return nullptr;
    for (HWND hWnd : m_lstMoveWnd) {
        // The owner the count found is asked again only when it is this one: every activation
        // asks, and a look at each window's owner costs a call to the window server under Wine.
        const auto it = m_mapOwner.find(hWnd);
        if (it != m_mapOwner.end() && it->second != hWndOwner)
            continue;
        if (GetWindow(hWnd, GW_OWNER) == hWndOwner && GetParent(hWnd) != hWndOwner)
            return hWnd;
    }
    return nullptr;
}

CFixTitle* CWndEnumerator::FindFixTitle(LPCWSTR pszTitle) const
{
    for (const auto& pFix : m_lstFixWnd) {
        if (pFix->nType == FIXWND_TYPE_TITLE && pFix->IsMatchStr(pszTitle))
            return static_cast<CFixTitle*>(pFix.get());
    }
    return nullptr;
}

CFixApp* CWndEnumerator::FindFixApp(LPCWSTR pszAppName) const
{
    for (const auto& pFix : m_lstFixWnd) {
        if (pFix->nType == FIXWND_TYPE_APP && pFix->IsMatchStr(pszAppName))
            return static_cast<CFixApp*>(pFix.get());
    }
    return nullptr;
}

// The settings save these lists in this order: most recently confirmed first.
BOOL CWndEnumerator::FindFixTitleStr(LPCWSTR pszTitle)
{
    return BringToHead(m_plstTitle, pszTitle);
}

BOOL CWndEnumerator::FindFixAppStr(LPCWSTR pszAppName)
{
    return BringToHead(m_plstApp, pszAppName);
}

std::vector<HWND>::const_iterator CWndEnumerator::ListPosAfter(HWND hWndPrev) const
{
    if (!hWndPrev)
        return m_lstWnd.begin();
    auto it = std::find(m_lstWnd.begin(), m_lstWnd.end(), hWndPrev);
    return it == m_lstWnd.end() ? it : it + 1;
}

HWND CWndEnumerator::FindNextWndByTitle(LPCWSTR pszTitle, HWND hWndPrev)
{
    if (!pszTitle)
        return nullptr;
    if (g_nWndsChanged) {
        m_lstWnd.clear();
        EnumIntoWndList();
        g_nWndsChanged = 0;
    }
    for (auto it = ListPosAfter(hWndPrev); it != m_lstWnd.end(); ++it) {
        if (IsWindow(*it) && GetWndMatchText(*it) == pszTitle)
            return *it;
    }
    return nullptr;
}

HWND CWndEnumerator::FindNextWndByApp(LPCWSTR pszAppName, HWND hWndPrev)
{
    if (!pszAppName)
        return nullptr;
    if (g_nWndsChanged) {
        if (!UpdateProcessList())
            return nullptr;
        m_lstWnd.clear();
        EnumIntoWndList();
        g_nWndsChanged = 0;
    }
    std::wstring strImage;
    for (auto it = ListPosAfter(hWndPrev); it != m_lstWnd.end(); ++it) {
        if (GetWndImageName(*it, strImage) && !strImage.empty() && strImage == pszAppName)
            return *it;
    }
    return nullptr;
}

HWND CWndEnumerator::FindMoveWndByTitle(LPCWSTR pszTitle) const
{
    if (!pszTitle)
        return nullptr;
    for (HWND hWnd : m_lstMoveWnd) {
        if (IsWindow(hWnd) && GetWndMatchText(hWnd) == pszTitle)
            return hWnd;
    }
    return nullptr;
}

HWND CWndEnumerator::FindMoveWndByApp(LPCWSTR pszAppName) const
{
    if (!pszAppName || m_lstMoveWnd.empty() || !UpdateProcessList())
        return nullptr;
    std::wstring strImage;
    for (HWND hWnd : m_lstMoveWnd) {
        if (IsWindow(hWnd) && GetWndImageName(hWnd, strImage) && !strImage.empty() && strImage == pszAppName)
            return hWnd;
    }
    return nullptr;
}

namespace {

// Every window that findNext finds under a name of the list becomes a record (appendFix), unless
// hasFix says that name has one already.
template <class FindNext, class HasFix, class AppendFixFor>
void MakeFixListByName(const std::vector<std::wstring>* plst, FindNext findNext, HasFix hasFix,
                       AppendFixFor appendFix)
{
    if (IsEmptyList(plst))
        return;
    for (const std::wstring& strName : *plst) {
        const LPCWSTR pszName = strName.c_str();
        for (HWND hWnd = findNext(pszName, nullptr); hWnd; hWnd = findNext(pszName, hWnd)) {
            if (IsWindow(hWnd) && !hasFix(pszName))
                appendFix(hWnd, pszName);
        }
    }
}

} // namespace

void CWndEnumerator::MakeFixTitleList()
{
    MakeFixListByName(
        m_plstTitle, [this](LPCWSTR pszTitle, HWND hWndPrev) { return FindNextWndByTitle(pszTitle, hWndPrev); },
        [this](LPCWSTR pszTitle) { return FindFixTitle(pszTitle) != nullptr; },
        [this](HWND hWnd, LPCWSTR pszTitle) { AppendFix(new CFixTitle(hWnd, pszTitle)); });
}

void CWndEnumerator::MakeFixAppList()
{
    MakeFixListByName(
        m_plstApp, [this](LPCWSTR pszApp, HWND hWndPrev) { return FindNextWndByApp(pszApp, hWndPrev); },
        [this](LPCWSTR pszApp) { return FindFixApp(pszApp) != nullptr; },
        [this](HWND hWnd, LPCWSTR pszApp) { AppendFix(new CFixApp(hWnd, pszApp)); });
}

void CWndEnumerator::FixWnds()
{
    // One process snapshot serves every window of the pass.
    const BOOL bProcessList = IsEmptyList(m_plstApp) ? FALSE : UpdateProcessList();
    for (auto it = m_lstMoveWnd.begin(); it != m_lstMoveWnd.end();) {
        HWND hWnd = *it;
        if (!IsWindow(hWnd) || FindFixWnd(hWnd)) {
            it = m_lstMoveWnd.erase(it);
            continue;
        }
        // The record keeps the list's text: for an untitled window that is its label, which
        // UnfixWnds must find in the list again to keep the record.
        if (LPCWSTR pszTitle = GetFixTitleStr(hWnd)) {
            m_lstFixWnd.emplace_front(new CFixTitle(hWnd, pszTitle));
            it = m_lstMoveWnd.erase(it);
        } else if (LPCWSTR pszApp = FixAppStrOfWnd(bProcessList, hWnd)) {
            m_lstFixWnd.emplace_front(new CFixApp(hWnd, pszApp));
            it = m_lstMoveWnd.erase(it);
        } else {
            ++it;
        }
    }
}

void CWndEnumerator::UnfixWnds()
{
    for (auto it = m_lstFixWnd.begin(); it != m_lstFixWnd.end();) {
        CFixWnd* pFix = it->get();
        BOOL bStillFixed;
        if (pFix->nType == FIXWND_TYPE_TITLE)
            bStillFixed = FindFixTitleStr(pFix->GetText());
        else if (pFix->nType == FIXWND_TYPE_APP)
            bStillFixed = FindFixAppStr(pFix->GetText());
        else {
            ++it;
            continue;
        }
        // Several records may share a text; each gives back its own window, once.
        if (IsMoveWnd(pFix->hWnd)) {
            it = m_lstFixWnd.erase(it);
        } else if (bStillFixed) {
            ++it;
        } else {
            if (IsWindow(pFix->hWnd))
                m_lstMoveWnd.push_back(pFix->hWnd);
            it = m_lstFixWnd.erase(it);
        }
    }
}

HWND CWndEnumerator::FindMainWnd() const
{
    if (!IsOwnWnd())
        return nullptr;
    return FindWindowW(nullptr, ZV_HIDDEN_MAIN_WND_TITLE);
}

BOOL CWndEnumerator::RefreshAllWnds(BOOL bForce)
{
    if (bForce)
        g_nWndsChanged = 1;
    if (!EnumerateWnds())
        return FALSE;
    MakeFixTitleList();
    MakeFixAppList();
    FixWnds();
    return TRUE;
}

void CWndEnumerator::RemoveMoveWnd(HWND hWnd)
{
    auto it = std::find(m_lstMoveWnd.begin(), m_lstMoveWnd.end(), hWnd);
    if (it != m_lstMoveWnd.end())
        m_lstMoveWnd.erase(it);
}

void CWndEnumerator::RemoveFixRecord(const CFixWnd* pFixWnd)
{
    auto it = std::find_if(m_lstFixWnd.begin(), m_lstFixWnd.end(),
                           [pFixWnd](const auto& p) { return p.get() == pFixWnd; });
    if (it != m_lstFixWnd.end())
        m_lstFixWnd.erase(it);
}

CFixWnd* CWndEnumerator::AddFixWnd(std::unique_ptr<CFixWnd> pFixWnd)
{
    m_lstFixWnd.push_back(std::move(pFixWnd));
    return m_lstFixWnd.back().get();
}

BOOL CWndEnumerator::HasFixRecord(const CFixWnd* pFixWnd) const
{
    return pFixWnd && std::any_of(m_lstFixWnd.begin(), m_lstFixWnd.end(),
                                  [pFixWnd](const auto& p) { return p.get() == pFixWnd; });
}

namespace {

void RemoveFirst(std::vector<std::wstring>* plst, LPCWSTR pszText)
{
    if (!plst || !pszText)
        return;
    auto it = std::find(plst->begin(), plst->end(), pszText);
    if (it != plst->end())
        plst->erase(it);
}

} // namespace

void CWndEnumerator::RemoveFixTitleStr(LPCWSTR pszTitle)
{
    RemoveFirst(m_plstTitle, pszTitle);
}

void CWndEnumerator::RemoveFixAppStr(LPCWSTR pszAppName)
{
    RemoveFirst(m_plstApp, pszAppName);
}

CFixWnd* CWndEnumerator::FindFixTitleWndByApp(LPCWSTR pszAppName) const
{
    if (!pszAppName)
        return nullptr;
    const std::wstring_view strPrefix(pszAppName);
    std::wstring strImage;
    for (const auto& pFix : m_lstFixWnd) {
        if (pFix->nType == FIXWND_TYPE_TITLE && IsWindow(pFix->hWnd) && GetWndImageName(pFix->hWnd, strImage) &&
            std::wstring_view(strImage).substr(0, strPrefix.size()) == strPrefix)
            return pFix.get();
    }
    return nullptr;
}
