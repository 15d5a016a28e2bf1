// Records posted to a window by pointer stay with that window until their handler takes them: a
// record left in the queue when the window goes is freed with the pool, and a number that was
// never handed out here (another process can post any number) is refused.
#pragma once
#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

template <class T>
class CPostedRecordPool {
public:
    T* Add(T rec) { return m_lst.emplace_back(std::make_unique<T>(std::move(rec))).get(); }
    // Null for a number that is not an outstanding record of this pool.
    std::unique_ptr<T> Take(ULONG_PTR nRecord) noexcept
    {
        const auto it = std::find_if(m_lst.begin(), m_lst.end(), [nRecord](const std::unique_ptr<T>& p) {
            return reinterpret_cast<ULONG_PTR>(p.get()) == nRecord;
        });
        if (it == m_lst.end())
            return nullptr;
        std::unique_ptr<T> p = std::move(*it);
        m_lst.erase(it);
        return p;
    }
    size_t GetCount() const noexcept { return m_lst.size(); }
    void Clear() noexcept { m_lst.clear(); }

private:
    std::vector<std::unique_ptr<T>> m_lst;
};
