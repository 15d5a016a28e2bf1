// CSharedMemLog: one log line in its own block, from a program to the log viewer.
//
//   0   int32 nLen = 39 + text size      19  int32 nSender      31  int32 bPosted
//   4   tag "ZvSmLog_V0700" (15 bytes)   23  int32 nSeq         35  int32 bDone (set by the viewer)
//                                        27  int32 nRetry       39  text: UTF-8, zero-terminated
//   nLen  checksum (written over 0 .. nLen - 2, tested over 0 .. nLen - 1; byte nLen - 1 is the
//         text's terminating zero, so both agree)
#pragma once

#include <string>

#include "SharedMem.h"

// Mapping name of a line block: sender and sequence, both decimal.
inline constexpr wchar_t LOG_BLOCK_NAME_FORMAT[] = L"Zuvora! Debug Log (Sender = %u, Seq = %u)";
std::wstring MakeLogBlockName(int nSender, int nSeq);

class CSharedMemLog : public CSharedMem {
public:
    static constexpr char TAG[] = "ZvSmLog_V0700";
    static constexpr int TAG_FIELD = 15;
    static constexpr int SENDER_OFS = 19;
    static constexpr int SEQ_OFS = 23;
    static constexpr int RETRY_OFS = 27;
    static constexpr int POSTED_OFS = 31;
    static constexpr int DONE_OFS = 35;
    static constexpr int TEXT_OFS = 39;
    // A line longer than this is cut (the text area holds its zero in addition).
    static constexpr int MAX_TEXT_SIZE = 1 << 20;
    // Create's wait for a block name still held: the log's output thread makes the lines' blocks
    // one after another and must not stall on a name that another program of the same sender holds.
    static constexpr DWORD LINE_CREATE_RETRY_MS = 50;

    explicit CSharedMemLog(int nSender);
    virtual ~CSharedMemLog();

    // pParam: DWORD* text size (text length in bytes + 1), 1 .. MAX_TEXT_SIZE.
    BOOL Create(LPCWSTR pszName, DWORD dwProtect, void* pParam) override;
    BOOL Open(LPCWSTR pszName, BOOL bInherit, DWORD dwAccess) override;
    BOOL IsValid() override;

    // Each under the block mutex; setters recompute the checksum. FALSE (0, empty) when the
    // block is not mapped or its length word no longer fits the view; setters FALSE on a
    // read-only view too.
    BOOL SetSender(int nSender);
    BOOL SetSeq(int nSeq);
    BOOL SetRetry(int nRetry);
    BOOL SetPosted(int bPosted);
    BOOL SetDone(int bDone);
    // Zeroes the text area, copies at most nLen - 40 bytes of the UTF-8 text, clears done.
    BOOL SetText(const char* pszText);
    int GetSender();
    int GetSeq();
    int GetRetry();
    int GetPosted();
    int GetDone();
    // The text up to its zero or the end of the text area.
    std::string GetText();

    // Pointers into the view, set after Create or Open; pbSum only while the length is sound.
    struct SM_LOG {
        BYTE* pnLen = nullptr;
        BYTE* pszTag = nullptr;
        BYTE* pnSender = nullptr;
        BYTE* pnSeq = nullptr;
        BYTE* pnRetry = nullptr;
        BYTE* pbPosted = nullptr;
        BYTE* pbDone = nullptr;
        BYTE* pszText = nullptr;
        BYTE* pbSum = nullptr;
    } m_sm;

private:
    // The length words a line block may carry.
    static constexpr int MIN_LEN = TEXT_OFS + 1;
    static constexpr int MAX_LEN = TEXT_OFS + MAX_TEXT_SIZE;

    void LocateFields();
    int GetLen() const noexcept;
    BOOL SetField(int nOfs, int nValue, int nLine);
    int GetField(int nOfs, int nLine);
};
