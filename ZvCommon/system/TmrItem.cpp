#include "TmrItem.h"

CTmrItem::CTmrItem(const TMR_ITEM_PARAM& param, int nId) noexcept
    : m_hWnd(param.hWnd),
      m_uMsg(param.uMsg),
      m_uPeriod(param.uPeriod),
      m_wParam(param.wParam),
      m_lParam(param.lParam),
      m_nId(nId),
      m_bEnable(FALSE),
      m_uElapsed(0) {}

CTmrItem::~CTmrItem() = default;
