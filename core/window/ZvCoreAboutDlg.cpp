#include "ZvCoreAboutDlg.h"

#include <string>

#include "Strings.h"
#include "resource.h"

namespace {

constexpr wchar_t kCreditCaption[] = L"Zuvora! を作った人たち";
constexpr wchar_t kCreditText[] =
    L"Zuvora! 開発チーム\r\n\r\n設計・実装・試験: V.Z.Q. の仲間たち\r\nご利用ありがとうございます.";

} // namespace

CZvCoreAboutDlg::CZvCoreAboutDlg(const std::vector<FILE_VERSION_SET>* plstVersion, HWND hWndParent)
    : CDialog(IDD_ABOUTBOX, hWndParent), m_plstVersion(plstVersion)
{
    MapMessage(WM_COMMAND, &CZvCoreAboutDlg::OnCommand);
}

CZvCoreAboutDlg::~CZvCoreAboutDlg()
{
    if (m_hFont)
        DeleteObject(m_hFont);
    if (m_hIconCredit)
        DestroyIcon(m_hIconCredit);
}

BOOL CZvCoreAboutDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    HDC hDC = GetDC(m_hWnd);
    const int nHeight = -MulDiv(90, GetDeviceCaps(hDC, LOGPIXELSY), 720);
    ReleaseDC(m_hWnd, hDC);
    const std::wstring strFace = LoadResString(IDS_ZV_ABOUT_FONT);
    m_hFont = CreateFontW(nHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, strFace.c_str());
    // A fixed-pitch face keeps the version columns aligned.
    if (m_hFont)
        SendDlgItemMessageW(m_hWnd, IDC_ABOUT_VERSIONS, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), TRUE);

    std::wstring strVersion;
    if (m_plstVersion)
        GetFileVersionSetString(*m_plstVersion, strVersion, L"\r\n");
    SetDlgItemTextW(m_hWnd, IDC_ABOUT_VERSIONS, strVersion.c_str());
    return TRUE;
}

LRESULT CZvCoreAboutDlg::OnCommand(WPARAM wParam, LPARAM) noexcept
{
    const UINT nId = LOWORD(wParam);
    if (nId == IDOK || nId == IDCANCEL) {
        EndDialog(m_hWnd, static_cast<INT_PTR>(nId));
    } else if (nId == IDC_ABOUT_ICON && HIWORD(wParam) == STN_DBLCLK && (GetKeyState(VK_SHIFT) & 0x8000) &&
               (GetKeyState(VK_CONTROL) & 0x8000)) {
        ShowCredit();
    }
    return 0;
}

void CZvCoreAboutDlg::ShowCredit() noexcept
{
    SetWindowTextW(m_hWnd, kCreditCaption);
    SetDlgItemTextW(m_hWnd, IDC_ABOUT_TEXT, kCreditText);
    if (!m_hIconCredit)
        m_hIconCredit = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZV_CREDIT), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
    if (m_hIconCredit)
        SendDlgItemMessageW(m_hWnd, IDC_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(m_hIconCredit), 0);
}
