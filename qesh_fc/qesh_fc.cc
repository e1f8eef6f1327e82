// Inert graphic-interface routines: the text-only build of the graphic display.
#include "qesh_fc/qesh_fc.h"

#include <initializer_list>
#include <string>

#include "vud_support/console/channels.h"

namespace vud {
namespace {

// Writes one line on channel 6: a blank (unless lead is false), then each text
// in its full width, nothing between them.
void show_line(std::initializer_list<std::string_view> parts, bool lead = true) {
  static std::string line;  // reused: these lines can come at every edisp in graph mode
  line.clear();
  if (lead) line.push_back(' ');
  for (std::string_view p : parts) line.append(p);
  channel_write(kOutputChannel, line);
}

void button_line(std::string_view marker, char act, std::string_view msg) {
  show_line({marker, std::string_view(&act, 1), msg});
}

}  // namespace

void jwinint(std::int32_t /*iterm*/, std::string_view msg) { show_line({msg}, false); }

void egdisp(std::string_view msg, std::int32_t /*line*/) { show_line({msg}); }

void wstxpt(std::int32_t /*ix*/, std::int32_t /*iy*/, std::string_view buff) { show_line({buff}); }

void textatxy(std::int32_t /*ix*/, std::int32_t /*iy*/, std::string_view buff,
              std::int32_t /*ixcolid*/) {
  show_line({buff});
}

void etlabel(std::string_view msg, float /*x*/, float /*y*/, std::int32_t /*ipos*/,
             std::int32_t /*isize*/) {
  show_line({msg});
}

void qbox(std::string_view msg, std::int32_t, std::int32_t, std::int32_t, std::int32_t, char act) {
  button_line("? ", act, msg);
}
void dbox(std::string_view msg, std::int32_t, std::int32_t, std::int32_t, std::int32_t, char act) {
  button_line("def ", act, msg);
}
void okbox(std::string_view msg, std::int32_t, std::int32_t, std::int32_t, std::int32_t, char act) {
  button_line("ok ", act, msg);
}
void altbox(std::string_view msg, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
            char act) {
  button_line("alt ", act, msg);
}
void abcdboxs(std::string_view msg, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
              char act) {
  button_line("abcd ", act, msg);
}

void openaskbox(std::string_view msg1, std::string_view msg2, std::int32_t /*iasklen*/) {
  show_line({msg1});
  show_line({msg2});
}

void openaskaltbox(std::string_view msg1, std::string_view msg2, std::string_view alt,
                   std::int32_t /*iasklen*/) {
  show_line({msg1});
  show_line({msg2});
  show_line({alt});
}

void openaskcnclbox(std::string_view msg1, std::string_view msg2, std::string_view cncl,
                    std::int32_t /*iasklen*/) {
  show_line({msg1});
  show_line({msg2});
  show_line({cncl});
}

void u2pixel(float /*ux*/, float /*uy*/, std::int32_t& ix, std::int32_t& iy) {
  ix = 0;
  iy = 0;
}

void pixel2u(float /*ux*/, float /*uy*/, float& gx, float& gy) {
  gx = 0.0F;
  gy = 0.0F;
}

void findrtb(std::int32_t& iright, std::int32_t& itop, std::int32_t& ibottom) {
  iright = 0;
  itop = 0;
  ibottom = 0;
}

void getxlibs(Text<3>& clibrary) { clibrary = "noX"; }

std::int32_t ixavail() { return 0; }

std::int32_t igraphiclib() { return 3; }

void pause_effect() {
  // volatile keeps the loop: its only purpose is to take a little time.
  volatile float a = 1.5F, b = 2.5F, c = 3.5F, d = 4.5F;
  for (int i = 0; i < 100; ++i) {
    volatile float r = a * b * c / d;
    static_cast<void>(r);
  }
}

void sizehwxy(std::int32_t, std::int32_t, std::int32_t, std::int32_t) {}
void winfnt(std::int32_t) {}
void feedbox(std::int32_t, std::int32_t, std::int32_t&, std::int32_t&) {}
void opengdisp(std::int32_t, std::int32_t, std::int32_t, std::int32_t&, std::int32_t&) {}
void espad(std::int32_t, std::int32_t, std::int32_t) {}
void egdispclr() {}
void winfin() {}
void msgbox(std::string_view, std::string_view) {}
void continuebox(std::string_view, std::string_view, std::string_view) {}
void pauses(std::int32_t) {}
void askdialog(Field, std::int32_t&, std::int32_t&) {}
void abcdefbox(std::string_view, std::string_view, std::string_view, std::string_view,
               std::string_view, std::string_view, std::string_view, std::string_view,
               std::string_view, std::int32_t&) {}
void updhelp(const Table<Text<72>, 60>&, std::int32_t, std::int32_t) {}
void egphelp(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t&) {}

}  // namespace vud
