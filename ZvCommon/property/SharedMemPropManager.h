// CSharedMemPropManager: the eight settings blocks of one program and the property mutex that
// makes a whole copy between the core program and the settings program exclusive.
//
// The core program (sender 1) and the settings program (sender 2) hand the settings record over
// by one side's Create and Write and the other side's Open and Read (the settings exchange).
// Read takes either every section or none: a record is never left half from the other program.
#pragma once

#include <windows.h>

#include "PropertySet.h"
#include "SharedMemProp.h"

class CSharedMemPropManager {
public:
    static constexpr wchar_t MUTEX_NAME[] = L"Zuvora! Property Mutex";
    static constexpr DWORD MUTEX_WAIT_MS = 1000;
    // Block indexes, in the order of the settings pages.
    enum BLOCK {
        BLOCK_SCRLWDTH,
        BLOCK_POSSIZE,
        BLOCK_VIEW,
        BLOCK_KEYBD,
        BLOCK_FIX,
        BLOCK_WINDOW,
        BLOCK_UNDO,
        BLOCK_ATSCRL,
        BLOCK_COUNT
    };

    // pProp is served, not owned; it must outlive the manager.
    CSharedMemPropManager(int nSender, PROPERTY_SET* pProp);
    virtual ~CSharedMemPropManager();
    CSharedMemPropManager(const CSharedMemPropManager&) = delete;
    CSharedMemPropManager& operator=(const CSharedMemPropManager&) = delete;

    // The property mutex and the eight blocks, made from the record (the keyboard and fix blocks
    // take their sizes from it) or opened; TRUE only when all eight succeeded. Blocks of an
    // earlier call are deleted first.
    BOOL Create();
    BOOL Open();
    // Under the property mutex: the blocks into the record, or the record into the blocks.
    // TRUE only when every section was copied. FALSE, with nothing copied, when the mutex is not
    // had within MUTEX_WAIT_MS, a block is not valid (Read: the record stays as it was), or a
    // block was made for another key count or fixed list (Write: no block is touched).
    BOOL Read();
    BOOL Write();

    CSharedMemProp* GetBlock(int nBlock) const noexcept;

private:
    template <class TFn>
    BOOL MakeBlocks(LPCWSTR pszOp, TFn&& fnMake);
    void DeleteBlocks() noexcept;
    // Waits for the property mutex: TRUE when this thread holds it and the copy may go on.
    BOOL TakeMutex(LPCWSTR pszOp);

    int m_nSender;
    PROPERTY_SET* m_pProp;
    CSharedMemProp* m_apBlock[BLOCK_COUNT] = {};
    CHandle m_hMutex;
};
