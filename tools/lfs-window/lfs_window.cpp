// A stand-in for the simulator's window: a plain top-level window titled
// "Live for Speed", so the focus gate sees LFS in front under Wine.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
  if (msg != WM_DESTROY) return DefWindowProcA(hwnd, msg, w, l);
  PostQuitMessage(0);
  return 0;
}

int main() {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "LfsStandIn";
  RegisterClassA(&wc);
  HWND hwnd = CreateWindowA("LfsStandIn", "Live for Speed", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                            640, 480, nullptr, nullptr, wc.hInstance, nullptr);
  if (!hwnd) return 1;
  MSG m;
  while (GetMessageA(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
  return 0;
}
