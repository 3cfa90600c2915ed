// ClWindowBase: an object bound to a window that somebody else created (a property sheet). It
// can subclass the window, routing its messages to the virtual WindowProc, and it owns the
// modal loop in which the whole wizard lives. User-interface thread only.
#pragma once

#include <windows.h>

#include <cstdint>

// The empty root of the window classes.
class ClBaseClass {
  public:
    virtual ~ClBaseClass() = default;
};

class ClWindowBase;

// Lives in the subclassed window's GWLP_USERDATA slot while the subclass is in place.
struct SSubclassRecord {
    std::uint32_t tag;  // kSubclassTag
    WNDPROC previous;   // the window procedure before subclassing
    ClWindowBase* object;
};
constexpr std::uint32_t kSubclassTag = 100;

// Results of RunModal besides the codes given to EndModal.
constexpr int kModalNoMemory = -4;    // the owner chain's enable states could not be saved
constexpr int kModalWindowGone = -3;  // the bound window was destroyed
constexpr int kModalQuit = -2;        // WM_QUIT arrived; it stays in the queue

class ClWindowBase : public ClBaseClass {
  public:
    ClWindowBase() = default;
    // Destroys the window when it owns it; a window it does not own is unsubclassed, so that it
    // never calls into a deleted object.
    ~ClWindowBase() override;
    ClWindowBase(const ClWindowBase&) = delete;
    ClWindowBase& operator=(const ClWindowBase&) = delete;

    // Binds the object to hwnd; a window it owned before is destroyed. FALSE if hwnd is not a
    // window.
    BOOL Attach(HWND hwnd, BOOL owns);
    // Destroys the bound window: DestroyWindow's result, 0 when no live window is bound.
    virtual BOOL Destroy();
    // Runs the modal loop over the bound window, disabling the owner chain of owner's top-level
    // window meanwhile. The code given to EndModal (sign-extended from 16 bits), or
    // kModalQuit, kModalWindowGone or kModalNoMemory.
    virtual int RunModal(HWND owner);
    // Ends the modal loop after the current message with code.
    virtual void EndModal(std::uint16_t code);
    // Called when the queue is empty; by default waits for the next message.
    virtual void OnIdle();
    // Translates and dispatches a message of the modal loop; 0.
    virtual int DispatchLoopMessage(MSG* msg);
    // EnableWindow on the bound window; 1.
    virtual int Enable(BOOL enable);
    // Messages of the subclassed window; by default the previous window procedure's answer.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);

    // Routes the window's messages to WindowProc. FALSE when no live window is bound, it is
    // already subclassed, or its GWLP_USERDATA slot is in use by somebody else.
    BOOL Subclass();
    // Restores the previous window procedure: the procedure now installed, or 0 when there was
    // nothing to restore.
    LONG_PTR Unsubclass();
    HWND GetHwnd() const { return hwnd_; }

    static LRESULT CALLBACK SubclassWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

  protected:
    // Set in the result word by EndModal; the low 16 bits hold the code.
    static constexpr std::uint32_t kEndRequested = 0x10000;
    bool EndRequested() const { return (result_ & kEndRequested) != 0; }
    // The previous window procedure's answer to a message, 0 when not subclassed.
    LRESULT CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam);
    // Unbinds the window without touching it (it is being destroyed).
    void ForgetWindow() { hwnd_ = nullptr; }

  private:
    void RunLoop();

    std::uint32_t result_ = 0;
    HWND hwnd_ = nullptr;
    BOOL ownsWindow_ = FALSE;
    SSubclassRecord* record_ = nullptr;
};
