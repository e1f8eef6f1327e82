// Selects which of the two builds of the statistics tool these sources make.
// The same sources are compiled twice: once as vudstats and once, with
// VUDSTATS_VARIANT64 defined, as vudstats64. The variant differs only in its
// help text, in keeping the PIR value of QTV 2 logs instead of PIR count
// differences, in the header block of restricted reports and in its
// end-of-log line; each of those places tests kVariant64 with if constexpr.
#ifndef VUD_STATS_VARIANT_H_
#define VUD_STATS_VARIANT_H_

namespace vud {

#ifdef VUDSTATS_VARIANT64
inline constexpr bool kVariant64 = true;
#else
inline constexpr bool kVariant64 = false;
#endif

}  // namespace vud

#endif  // VUD_STATS_VARIANT_H_
