// CSharedMemLogHwnd: the log viewer's window handle, made by the viewer, read by the programs.
//
//   0  int32 nLen = 31   4  tag "ZvSmLogHwnd_V0700" (19 bytes)   23  window handle (64 bits)
//   31 checksum (written over 0 .. 29, tested over 0 .. 30; byte 30 is the handle's top byte)
#pragma once

#include "SharedMem.h"

inline constexpr wchar_t LOG_HWND_BLOCK_NAME[] = L"Zuvora! Log Window Handle";

class CSharedMemLogHwnd : public CSharedMem {
public:
    static constexpr char TAG[] = "ZvSmLogHwnd_V0700";
    static constexpr int TAG_FIELD = 19;
    static constexpr int HWND_OFS = 23;
    static constexpr int BLOCK_LEN = 31;

    explicit CSharedMemLogHwnd(int nSender);
    virtual ~CSharedMemLogHwnd();

    // The viewer's side: a block of nLen 31 with handle 0; pParam is not used.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    BOOL IsValid() override;

    // Under the block mutex; null (FALSE) when the block is not mapped or not of this class's
    // length. SetHwnd is FALSE on a read-only view too.
    HWND GetHwnd();
    BOOL SetHwnd(HWND hWnd);

    struct SM_LOG_HWND {
        BYTE* pnLen = nullptr;
        BYTE* pszTag = nullptr;
        BYTE* phWnd = nullptr;
        BYTE* pbSum = nullptr;
    } m_sm;

private:
    void LocateFields();
};
