#include "SharedMemPropManager.h"

#include <new>

#include "LogManager.h"
#include "SharedMemPropAtScrl.h"
#include "SharedMemPropFix.h"
#include "SharedMemPropKeybd.h"
#include "SharedMemPropPosSize.h"
#include "SharedMemPropScrlWdth.h"
#include "SharedMemPropUndo.h"
#include "SharedMemPropView.h"
#include "SharedMemPropWindow.h"
#include "VerifyFailed.h"

namespace {

constexpr LPCWSTR kSourceFile = L"..\\ZvCommon\\SharedMemPropManager";

CSharedMemProp* NewBlock(int nBlock, int nSender)
{
    switch (nBlock) {
    case CSharedMemPropManager::BLOCK_SCRLWDTH: return new CSharedMemPropScrlWdth(nSender);
    case CSharedMemPropManager::BLOCK_POSSIZE: return new CSharedMemPropPosSize(nSender);
    case CSharedMemPropManager::BLOCK_VIEW: return new CSharedMemPropView(nSender);
    case CSharedMemPropManager::BLOCK_KEYBD: return new CSharedMemPropKeybd(nSender);
    case CSharedMemPropManager::BLOCK_FIX: return new CSharedMemPropFix(nSender);
    case CSharedMemPropManager::BLOCK_WINDOW: return new CSharedMemPropWindow(nSender);
    case CSharedMemPropManager::BLOCK_UNDO: return new CSharedMemPropUndo(nSender);
    case CSharedMemPropManager::BLOCK_ATSCRL: return new CSharedMemPropAtScrl(nSender);
    default: return nullptr;
    }
}

} // namespace

CSharedMemPropManager::CSharedMemPropManager(int nSender, PROPERTY_SET* pProp) : m_nSender(nSender), m_pProp(pProp)
{
}

CSharedMemPropManager::~CSharedMemPropManager()
{
    // Read and Write give the mutex back before they return: nothing is held here.
    m_hMutex.reset();
    DeleteBlocks();
}

CSharedMemProp* CSharedMemPropManager::GetBlock(int nBlock) const noexcept
{
    return nBlock >= 0 && nBlock < BLOCK_COUNT ? m_apBlock[nBlock] : nullptr;
}

void CSharedMemPropManager::DeleteBlocks() noexcept
{
    for (CSharedMemProp*& pBlock : m_apBlock) {
        delete pBlock;
        pBlock = nullptr;
    }
}

template <class TFn>
BOOL CSharedMemPropManager::MakeBlocks(LPCWSTR pszOp, TFn&& fnMake)
{
    DeleteBlocks();
    m_hMutex.reset();
    m_hMutex.reset(CreateMutexW(nullptr, FALSE, MUTEX_NAME));
    if (!m_hMutex) {
        OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::%s() could not make the mutex (%lu).\r\n", pszOp,
                  GetLastError());
        return FALSE;
    }
    BOOL bAll = TRUE;
    for (int i = 0; i < BLOCK_COUNT; ++i) {
        try {
            m_apBlock[i] = NewBlock(i, m_nSender);
        } catch (const std::bad_alloc&) {
            OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::%s() could not allocate block %d.\r\n",
                      pszOp, i);
            bAll = FALSE;
            continue;
        }
        if (!fnMake(*m_apBlock[i])) {
            OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::%s() failed for %s.\r\n", pszOp,
                      m_apBlock[i]->GetMappingName());
            bAll = FALSE;
        }
    }
    return bAll;
}

BOOL CSharedMemPropManager::Create()
{
    if (!m_pProp)
        return FALSE;
    return MakeBlocks(L"Create", [&](CSharedMemProp& block) { return block.CreateFor(*m_pProp); });
}

BOOL CSharedMemPropManager::Open()
{
    return MakeBlocks(L"Open", [](CSharedMemProp& block) { return block.OpenShared(); });
}

BOOL CSharedMemPropManager::TakeMutex(LPCWSTR pszOp)
{
    if (!m_hMutex)
        return FALSE;
    DWORD dwRet = WaitForSingleObject(m_hMutex.get(), MUTEX_WAIT_MS);
    ZV_VERIFY_IN(dwRet != WAIT_FAILED, kSourceFile);
    if (dwRet == WAIT_ABANDONED) {
        // Its last holder ended inside a copy, and the blocks may be half-written: this copy is
        // given up as for a mutex not had, and the mutex given back, so the next one goes ahead.
        OutputLog(LOG_LEVEL_ERROR, m_nSender,
                  L"CSharedMemPropManager::%s(): the property mutex was abandoned, nothing copied.\r\n", pszOp);
        ReleaseMutex(m_hMutex.get());
        return FALSE;
    }
    if (dwRet != WAIT_OBJECT_0) {
        OutputLog(LOG_LEVEL_ERROR, m_nSender,
                  L"CSharedMemPropManager::%s(): the property mutex was not had within %lu ms, nothing copied.\r\n",
                  pszOp, MUTEX_WAIT_MS);
        return FALSE;
    }
    return TRUE;
}

BOOL CSharedMemPropManager::Read()
{
    if (!m_pProp || !TakeMutex(L"Read"))
        return FALSE;
    BOOL bAll = TRUE;
    try {
        // The sections go into a copy first, so that a block refused halfway leaves the record whole.
        PROPERTY_SET prop = *m_pProp;
        for (CSharedMemProp* pBlock : m_apBlock) {
            if (!pBlock || !pBlock->GetInto(prop)) {
                OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::Read() refused %s.\r\n",
                          pBlock ? pBlock->GetMappingName() : L"a missing block");
                bAll = FALSE;
                break;
            }
        }
        if (bAll)
            *m_pProp = std::move(prop);
    } catch (const std::bad_alloc&) {
        OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::Read() could not allocate the record.\r\n");
        bAll = FALSE;
    }
    ReleaseMutex(m_hMutex.get());
    return bAll;
}

BOOL CSharedMemPropManager::Write()
{
    if (!m_pProp || !TakeMutex(L"Write"))
        return FALSE;
    // Every block must fit its section before the first is touched: the reader never sees some
    // sections new and others old.
    BOOL bAll = TRUE;
    for (CSharedMemProp* pBlock : m_apBlock) {
        if (!pBlock || !pBlock->IsWritable() || pBlock->GetLen() != pBlock->GetLenFor(*m_pProp)) {
            OutputLog(LOG_LEVEL_ERROR, m_nSender, L"CSharedMemPropManager::Write() cannot write %s.\r\n",
                      pBlock ? pBlock->GetMappingName() : L"a missing block");
            bAll = FALSE;
            break;
        }
    }
    for (int i = 0; bAll && i < BLOCK_COUNT; ++i)
        bAll = m_apBlock[i]->SetFrom(*m_pProp);
    ReleaseMutex(m_hMutex.get());
    return bAll;
}
