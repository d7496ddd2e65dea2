// Drives a modal message box from inside its own modal loop: a timer of the
// box's owner ticks every 10 ms while the box is up (the dialog's loop
// dispatches it) and calls a step routine with the box until the routine
// reports that it is done. The owner's WM_ENTERIDLE would be the natural
// signal, but the system's message box asks for none (DS_NOIDLEMSG; Wine 8
// sends none either). A watchdog timer ends a box that the steps never
// finish, as a failure.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>

namespace orv::test {

class MessageBoxDriver {
public:
    // Step routine: called with the dialog whenever its loop is idle; true
    // when it has finished with the box (it has usually asked it to close).
    using Step = std::function<bool(HWND box)>;

    MessageBoxDriver()
    {
        static const bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = OwnerProc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = kClass;
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
        owner_ = CreateWindowExA(0, kClass, "owner", WS_OVERLAPPED | WS_VISIBLE, 600, 20, 200, 100, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        SetWindowLongPtrA(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageBoxDriver()
    {
        if (IsWindow(owner_)) DestroyWindow(owner_);
    }
    MessageBoxDriver(const MessageBoxDriver&) = delete;
    MessageBoxDriver& operator=(const MessageBoxDriver&) = delete;

    HWND Owner() const { return owner_; }

    // Runs show() (which shows a modal box owned by Owner()) with step
    // driving the box; returns what show() returned. A step returning false
    // is called again at the next tick.
    int Run(const std::function<int()>& show, Step step, UINT watchdogMs = 15000)
    {
        step_ = std::move(step);
        done_ = false;
        box_ = nullptr;
        stepCalls_ = 0;
        SetTimer(owner_, kWatchdogTimer, watchdogMs, nullptr);
        SetTimer(owner_, kStepTimer, kStepMs, nullptr);
        const int result = show();
        KillTimer(owner_, kStepTimer);
        KillTimer(owner_, kWatchdogTimer);
        step_ = nullptr;
        return result;
    }

    HWND LastBox() const { return box_; }
    int StepCalls() const { return stepCalls_; }
    bool Done() const { return done_; }

private:
    static constexpr char kClass[] = "OrvMessageBoxTestOwner";
    static constexpr UINT_PTR kWatchdogTimer = 77;
    static constexpr UINT_PTR kStepTimer = 78;
    static constexpr UINT kStepMs = 10;

    static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        auto* self = reinterpret_cast<MessageBoxDriver*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self) {
            if (msg == WM_TIMER && wp == kStepTimer) {
                self->OnTick();
                return 0;
            }
            if (msg == WM_TIMER && wp == kWatchdogTimer) {
                self->OnWatchdog();
                return 0;
            }
        }
        return DefWindowProcA(hwnd, msg, wp, lp);
    }

    struct BoxSearch {
        HWND owner;
        HWND found;
    };
    // The visible box owned by this driver's owner: another driver's box
    // (one shown from inside this box's loop) is not this driver's.
    static BOOL CALLBACK FindBox(HWND window, LPARAM p)
    {
        auto* search = reinterpret_cast<BoxSearch*>(p);
        char cls[32] = {};
        GetClassNameA(window, cls, sizeof(cls));
        if (lstrcmpA(cls, "#32770") != 0 || !IsWindowVisible(window)) return TRUE;
        if (GetWindow(window, GW_OWNER) != search->owner) return TRUE;
        search->found = window;
        return FALSE;
    }

    void OnTick()
    {
        // A step that pumps messages itself must not be entered again.
        if (done_ || !step_ || inStep_) return;
        BoxSearch search{owner_, nullptr};
        EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&search));
        HWND box = search.found;
        if (!box) return;
        box_ = box;
        ++stepCalls_;
        inStep_ = true;
        done_ = step_(box);
        inStep_ = false;
    }

    void OnWatchdog()
    {
        KillTimer(owner_, kWatchdogTimer);
        ADD_FAILURE() << "the message box was still open when the watchdog fired";
        done_ = true;
        if (!IsWindow(box_)) return;
        // Whatever buttons the box has, one of these ends it.
        for (int id : {IDOK, IDCANCEL, IDNO}) PostMessageA(box_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    }

    HWND owner_ = nullptr;
    HWND box_ = nullptr;
    Step step_;
    bool done_ = false;
    bool inStep_ = false;
    int stepCalls_ = 0;
};

}  // namespace orv::test
