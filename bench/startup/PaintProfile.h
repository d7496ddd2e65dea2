// Where a repaint's time goes: a profile of window procedure calls on this
// thread by window class, control id and message, each call's time exclusive
// of the calls nested in it. The hooks cost time of their own, so profiled
// repaints are not the timed ones.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/catalogue/BenchCatalogue.h"

namespace orv::bench {

class PaintProfile {
public:
    PaintProfile()
    {
        Self() = this;
        before_ = SetWindowsHookExA(WH_CALLWNDPROC, BeforeCall, nullptr, GetCurrentThreadId());
        after_ = SetWindowsHookExA(WH_CALLWNDPROCRET, AfterCall, nullptr, GetCurrentThreadId());
    }
    ~PaintProfile()
    {
        UnhookWindowsHookEx(before_);
        UnhookWindowsHookEx(after_);
        Self() = nullptr;
    }
    PaintProfile(const PaintProfile&) = delete;
    PaintProfile& operator=(const PaintProfile&) = delete;

    void Print(const char* program, int repaints, size_t rows = 25) const
    {
        std::vector<std::pair<double, std::string>> sorted;
        for (const auto& [key, total] : totals_)
            sorted.push_back({total.first, key + " x" + std::to_string(total.second / repaints)});
        std::sort(sorted.rbegin(), sorted.rend());
        for (size_t i = 0; i < sorted.size() && i < rows; ++i)
            std::printf("profile %s %8.3f ms per repaint  %s\n", program, sorted[i].first / repaints,
                        sorted[i].second.c_str());
    }

private:
    struct Frame {
        std::string key;
        double start;
        double nested;
    };

    static PaintProfile*& Self()
    {
        static PaintProfile* self = nullptr;
        return self;
    }
    static std::string KeyOf(HWND h, UINT message)
    {
        char cls[64] = {};
        GetClassNameA(h, cls, sizeof cls);
        char key[128];
        std::snprintf(key, sizeof key, "%s id %d msg 0x%04X", cls, GetDlgCtrlID(h), message);
        return key;
    }
    static LRESULT CALLBACK BeforeCall(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HC_ACTION && Self()) {
            const auto* c = reinterpret_cast<const CWPSTRUCT*>(lParam);
            Self()->stack_.push_back({KeyOf(c->hwnd, c->message), NowMs(), 0});
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static LRESULT CALLBACK AfterCall(int code, WPARAM wParam, LPARAM lParam)
    {
        PaintProfile* p = Self();
        if (code == HC_ACTION && p && !p->stack_.empty()) {
            const double spent = NowMs() - p->stack_.back().start;
            auto& total = p->totals_[p->stack_.back().key];
            total.first += spent - p->stack_.back().nested;
            ++total.second;
            p->stack_.pop_back();
            if (!p->stack_.empty()) p->stack_.back().nested += spent;
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK before_ = nullptr, after_ = nullptr;
    std::vector<Frame> stack_;
    std::map<std::string, std::pair<double, int>> totals_;
};

}  // namespace orv::bench
