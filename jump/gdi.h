// jump: scope guards for the drawing code. Each holds one GDI object or one
// selection and gives it back when the drawing step ends.
#pragma once

#include <windows.h>

namespace jump {

// An object selected into a device context; the one it replaced goes back.
class Selection {
  public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~Selection() { SelectObject(dc_, previous_); }
    Selection(const Selection &) = delete;
    Selection &operator=(const Selection &) = delete;

  private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A pen created for one drawing step, deleted at its end. Declare it before
// the Selection that selects it, so that it is deselected first.
class Pen {
  public:
    Pen(int width, COLORREF colour) : pen_(CreatePen(PS_SOLID, width, colour)) {}
    ~Pen() { DeleteObject(pen_); }
    Pen(const Pen &) = delete;
    Pen &operator=(const Pen &) = delete;
    operator HGDIOBJ() const { return pen_; }

  private:
    HPEN pen_;
};

// Holds a critical section for one drawing step.
class Locked {
  public:
    explicit Locked(CRITICAL_SECTION &cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Locked() { LeaveCriticalSection(&cs_); }
    Locked(const Locked &) = delete;
    Locked &operator=(const Locked &) = delete;

  private:
    CRITICAL_SECTION &cs_;
};

}  // namespace jump
