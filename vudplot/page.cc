// The HTML page of a report: a title, notes, and one SVG chart per measurement.
#include "vudplot/page.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "vudplot/axes.h"

namespace vudplot {
namespace {

constexpr const char* kPalette[] = {"#1f77b4", "#d62728", "#2ca02c", "#ff7f0e",
                                    "#9467bd", "#8c564b", "#e377c2", "#17becf",
                                    "#bcbd22", "#003f5c", "#ffd700", "#00a087"};

constexpr int kMostValueSteps = 8;

constexpr const char* kStyle =
    "body{font:14px/1.4 sans-serif;margin:16px 24px;color:#222;background:#fff}"
    "h1{font-size:20px;margin:0 0 4px}h2{font-size:16px;margin:18px 0 4px}"
    "p{margin:2px 0}.period{color:#444}.notes{color:#8a4b00}"
    "svg.chart{display:block}"
    "svg.chart text{font:12px sans-serif;fill:#333}"
    "svg.chart text.sub{fill:#666}"
    ".area{fill:none;stroke:#999}.grid{stroke:#e6e6e6;fill:none}"
    ".lines path{fill:none;stroke-width:1.5;stroke-linejoin:round;stroke-linecap:round}"
    ".legend{list-style:none;padding:0;margin:2px 0 0 70px;display:flex;flex-wrap:wrap;"
    "gap:2px 16px;max-width:910px}"
    ".legend i{display:inline-block;width:16px;height:4px;margin-right:5px;vertical-align:middle}"
    ".readout{min-height:1.4em;margin-left:70px;color:#444}";

// Shows the time and value under the pointer, and leaves each chart's
// plotting area (page coordinates) in data-box for whoever inspects the page.
constexpr const char* kScript =
    "(function(){"
    "var M=['Jan','Feb','Mar','Apr','May','Jun','Jul','Aug','Sep','Oct','Nov','Dec'];"
    "function two(n){return(n<10?'0':'')+n}"
    "function when(t){var d=new Date(t*1000);return d.getUTCDate()+' '+M[d.getUTCMonth()]+' '+"
    "d.getUTCFullYear()+' '+two(d.getUTCHours())+':'+two(d.getUTCMinutes())}"
    "var L=70,T=12,W=910,H=244;"
    "document.querySelectorAll('svg.chart').forEach(function(s){"
    "var r=s.getBoundingClientRect(),k=r.width/1000,ds=s.dataset;"
    "ds.box=[Math.round(r.left+scrollX+L*k),Math.round(r.top+scrollY+T*k),Math.round(W*k),"
    "Math.round(H*k)].join(',');"
    "var out=s.parentNode.querySelector('.readout');"
    "s.addEventListener('mousemove',function(e){var b=s.getBoundingClientRect(),q=b.width/1000,"
    "x=(e.clientX-b.left)/q-L,y=(e.clientY-b.top)/q-T;"
    "if(x<0||x>W||y<0||y>H){out.textContent='';return}"
    "var t0=+ds.t0,t1=+ds.t1,lo=+ds.lo,hi=+ds.hi,t=t0+x/W*(t1-t0),v=hi-y/H*(hi-lo);"
    "out.textContent=when(Math.round(t/60)*60)+'  '+v.toFixed(+ds.dec+1)+' '+ds.unit});"
    "s.addEventListener('mouseleave',function(){out.textContent=''})});"
    "document.body.dataset.height=document.documentElement.scrollHeight;"
    "})();";

struct Measure {
  std::string_view suffix, name, unit;
};
constexpr Measure kMeasures[] = {
    {"degC", "Temperature",
     "\xC2\xB0"
     "C"},
    {"Lux", "Light", "lux"},
    {"RH", "Relative humidity", "%"},
    {"PIR", "PIR", ""},
    {"SW", "Switch count", ""},
    {"dbA", "Audio", "dBA"},
};

const Measure* measure_of(std::string_view suffix) {
  for (const Measure& m : kMeasures)
    if (m.suffix == suffix) return &m;
  return nullptr;
}

void append_int(std::string& out, long long v) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// A coordinate with one decimal, the decimal left out when it is 0.
void append_tenths(std::string& out, double v) {
  long long t = std::llround(v * 10);
  if (t < 0) {
    out += '-';
    t = -t;
  }
  append_int(out, t / 10);
  if (t % 10 != 0) {
    out += '.';
    out += static_cast<char>('0' + t % 10);
  }
}

void append_attr(std::string& out, std::string_view name, std::string_view value) {
  out += ' ';
  out += name;
  out += "=\"";
  append_escaped(out, value);
  out += '"';
}

std::string number_text(double v) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.10g", v);
  return buf;
}

std::string span_text(std::int64_t seconds) {
  const std::int64_t minutes = seconds / 60;
  const std::int64_t days = minutes / 1440, hours = minutes / 60 % 24, mins = minutes % 60;
  std::string s;
  // Appended piece by piece: a text built as "literal" + std::string draws a
  // false -Wrestrict warning from g++ 12 at -O3.
  if (days > 0) s.append(std::to_string(days)).append(days == 1 ? " day" : " days");
  if (hours > 0) s.append(s.empty() ? "" : " ").append(std::to_string(hours)).append(" h");
  if (mins > 0 || s.empty())
    s.append(s.empty() ? "" : " ").append(std::to_string(mins)).append(" min");
  return s;
}

// The path of one line: each bucket is a vertical stroke from its first to its
// second value, joined to the next bucket unless a gap lies between them. A
// piece of one bucket holding one value is drawn as a short dash, so it shows.
void append_path(std::string& out, const std::vector<Bucket>& buckets, const ValueAxis& axis) {
  const double scale = kPlotHeight / (axis.hi - axis.lo);
  auto y_of = [&](float v) { return kTop + (axis.hi - v) * scale; };
  for (std::size_t i = 0; i < buckets.size(); ++i) {
    const Bucket& b = buckets[i];
    const double x = kLeft + b.column + 0.5;
    const bool alone = b.starts && (i + 1 == buckets.size() || buckets[i + 1].starts);
    if (alone && b.first == b.second) {
      out += 'M';
      append_tenths(out, x - 1.5);
      out += ' ';
      append_tenths(out, y_of(b.first));
      out += "h3";
      continue;
    }
    out += b.starts ? 'M' : 'L';
    append_tenths(out, x);
    out += ' ';
    append_tenths(out, y_of(b.first));
    if (b.second != b.first) {
      out += 'V';
      append_tenths(out, y_of(b.second));
    }
  }
}

void write_chart(std::string& out, const Plot& plot, const Chart& chart, int number) {
  const Measure* m = measure_of(chart.measurement);
  bool any = false;
  float lo = 0, hi = 0;
  for (const Line& l : chart.lines) {
    if (l.values.empty()) continue;
    if (!any || l.values.lowest() < lo) lo = l.values.lowest();
    if (!any || l.values.highest() > hi) hi = l.values.highest();
    any = true;
  }
  const ValueAxis axis = any ? value_axis(lo, hi, kMostValueSteps) : value_axis(0, 1, 1);

  out += "<section class=\"measure\">\n<h2>";
  append_escaped(out, heading_of(chart.measurement));
  out += "</h2>\n<svg class=\"chart\"";
  append_attr(out, "id", "chart" + std::to_string(number));
  append_attr(out, "width", std::to_string(kChartWidth));
  append_attr(out, "height", std::to_string(kChartHeight));
  append_attr(out, "viewBox",
              "0 0 " + std::to_string(kChartWidth) + " " + std::to_string(kChartHeight));
  append_attr(out, "data-measurement", chart.measurement);
  append_attr(out, "data-t0", std::to_string(plot.t0));
  append_attr(out, "data-t1", std::to_string(plot.t1));
  append_attr(out, "data-lo", number_text(axis.lo));
  append_attr(out, "data-hi", number_text(axis.hi));
  append_attr(out, "data-dec", std::to_string(axis.decimals));
  append_attr(out, "data-unit", m ? m->unit : std::string_view());
  append_attr(out, "role", "img");
  append_attr(out, "aria-label", heading_of(chart.measurement));
  out += ">\n";

  // Grid and tick labels.
  const std::vector<TimeTick> ticks = time_ticks(plot.t0, plot.t1, kMostTimeTicks);
  out += "<path class=\"grid\" d=\"";
  const double scale = kPlotHeight / (axis.hi - axis.lo);
  for (double v : axis.ticks) {
    out += 'M';
    append_int(out, kLeft);
    out += ' ';
    append_tenths(out, kTop + (axis.hi - v) * scale);
    out += 'h';
    append_int(out, kColumns);
  }
  std::vector<double> tick_x;
  for (const TimeTick& k : ticks) {
    const double x =
        kLeft +
        (static_cast<double>(k.t - plot.t0) / static_cast<double>(plot.t1 - plot.t0)) * kColumns;
    tick_x.push_back(x);
    out += 'M';
    append_tenths(out, x);
    out += ' ';
    append_int(out, kTop);
    out += 'v';
    append_int(out, kPlotHeight);
  }
  out += "\"/>\n<rect class=\"area\"";
  append_attr(out, "x", std::to_string(kLeft));
  append_attr(out, "y", std::to_string(kTop));
  append_attr(out, "width", std::to_string(kColumns));
  append_attr(out, "height", std::to_string(kPlotHeight));
  out += "/>\n<g text-anchor=\"end\">";
  for (double v : axis.ticks) {
    out += "<text x=\"";
    append_int(out, kLeft - 6);
    out += "\" y=\"";
    append_tenths(out, kTop + (axis.hi - v) * scale + 4);
    out += "\">";
    out += value_label(v, axis.decimals);
    out += "</text>";
  }
  out += "</g>\n<g text-anchor=\"middle\">";
  for (std::size_t i = 0; i < ticks.size(); ++i) {
    out += "<text x=\"";
    append_tenths(out, tick_x[i]);
    out += "\" y=\"";
    append_int(out, kTop + kPlotHeight + 16);
    out += "\">";
    append_escaped(out, ticks[i].label);
    out += "</text>";
    if (!ticks[i].sub.empty()) {
      out += "<text class=\"sub\" x=\"";
      append_tenths(out, tick_x[i]);
      out += "\" y=\"";
      append_int(out, kTop + kPlotHeight + 31);
      out += "\">";
      append_escaped(out, ticks[i].sub);
      out += "</text>";
    }
  }
  out += "</g>\n";
  if (!any) {
    out += "<text x=\"";
    append_int(out, kLeft + kColumns / 2);
    out += "\" y=\"";
    append_int(out, kTop + kPlotHeight / 2);
    out += "\" text-anchor=\"middle\">no values to draw</text>\n";
  }

  // The lines, one per sensor, in the order of the columns.
  out += "<g class=\"lines\">\n";
  for (const Line& l : chart.lines) {
    const std::string& sensor = plot.head.sensors[static_cast<std::size_t>(l.sensor)];
    out += "<path class=\"line\"";
    append_attr(out, "data-sensor", sensor);
    append_attr(out, "stroke", colour_of(l.sensor));
    out += " d=\"";
    if (any) append_path(out, l.values.buckets(), axis);
    out += "\"><title>";
    append_escaped(out, sensor);
    out += "</title></path>\n";
  }
  out += "</g>\n</svg>\n<ul class=\"legend\">";
  for (const Line& l : chart.lines) {
    out += "<li><i style=\"background:";
    out += colour_of(l.sensor);
    out += "\"></i>";
    append_escaped(out, plot.head.sensors[static_cast<std::size_t>(l.sensor)]);
    if (l.values.empty()) out += " (no values)";
    out += "</li>";
  }
  out += "</ul>\n<p class=\"readout\"></p>\n</section>\n";
}

}  // namespace

std::vector<Chart> charts_of(const ReportHead& head) {
  std::vector<Chart> charts;
  for (std::size_t c = 0; c < head.columns.size(); ++c) {
    const std::string& m = head.columns[c].measurement;
    std::size_t k = 0;
    while (k < charts.size() && charts[k].measurement != m) ++k;
    if (k == charts.size()) charts.push_back(Chart{m, {}});
    Line l;
    l.sensor = head.sensor_of[c];
    l.column = static_cast<int>(c);
    charts[k].lines.push_back(std::move(l));
  }
  return charts;
}

std::string heading_of(std::string_view measurement) {
  const Measure* m = measure_of(measurement);
  if (m == nullptr) return measurement.empty() ? std::string("Values") : std::string(measurement);
  std::string h(m->name);
  if (!m->unit.empty()) h += " (" + std::string(m->unit) + ")";
  return h;
}

std::string colour_of(int n) {
  if (n >= 0 && n < static_cast<int>(std::size(kPalette))) return kPalette[n];
  // Further sensors: hues a golden angle apart, in two lightnesses.
  const double h = std::fmod((n - 12) * 137.508 + 15, 360.0);
  const double s = 0.75, l = n % 2 ? 0.38 : 0.5;
  const double c = (1 - std::fabs(2 * l - 1)) * s, hp = h / 60;
  const double x = c * (1 - std::fabs(std::fmod(hp, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  if (hp < 1)
    r = c, g = x;
  else if (hp < 2)
    r = x, g = c;
  else if (hp < 3)
    g = c, b = x;
  else if (hp < 4)
    g = x, b = c;
  else if (hp < 5)
    r = x, b = c;
  else
    r = c, b = x;
  const double mm = l - c / 2;
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(std::lround((r + mm) * 255)),
                static_cast<int>(std::lround((g + mm) * 255)),
                static_cast<int>(std::lround((b + mm) * 255)));
  return buf;
}

void append_escaped(std::string& out, std::string_view s) {
  for (char ch : s) {
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        // Control characters have no place in a page.
        if (static_cast<unsigned char>(ch) < 32)
          out += ' ';
        else
          out += ch;
    }
  }
}

std::string time_text(std::int64_t t) {
  static constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  int y, mo, d, h, mi;
  civil_of(t, y, mo, d, h, mi);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%d %s %d %02d:%02d", d, kMonthNames[mo - 1], y, h, mi);
  return buf;
}

void write_page(const Plot& plot, std::string& out) {
  out.clear();
  out += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
  append_escaped(out, plot.name);
  out += "</title>\n<style>";
  out += kStyle;
  out += "</style>\n</head>\n<body>\n<h1>";
  append_escaped(out, plot.name);
  out += "</h1>\n<p class=\"period\">";
  if (!plot.head.title.empty()) {
    append_escaped(out, plot.head.title);
    out += ": ";
  }
  append_escaped(out, time_text(plot.first));
  out += " to ";
  append_escaped(out, time_text(plot.last));
  out += " (";
  out += span_text(plot.last - plot.first);
  out += "), ";
  append_int(out, plot.rows);
  out += plot.rows == 1 ? " row, " : " rows, ";
  append_int(out, static_cast<long long>(plot.head.sensors.size()));
  out += plot.head.sensors.size() == 1 ? " sensor" : " sensors";
  out += "</p>\n";
  if (!plot.head.block.empty()) {
    out += "<p class=\"block\">";
    for (std::size_t i = 0; i < plot.head.block.size(); ++i) {
      if (i > 0) out += " \xC2\xB7 ";
      append_escaped(out, plot.head.block[i]);
    }
    out += "</p>\n";
  }
  if (!plot.notes.empty()) {
    out += "<ul class=\"notes\">\n";
    for (const std::string& n : plot.notes) {
      out += "<li>";
      append_escaped(out, n);
      out += "</li>\n";
    }
    out += "</ul>\n";
  }
  for (std::size_t c = 0; c < plot.charts.size(); ++c)
    write_chart(out, plot, plot.charts[c], static_cast<int>(c) + 1);
  out += "<script>";
  out += kScript;
  out += "</script>\n</body>\n</html>\n";
}

}  // namespace vudplot
