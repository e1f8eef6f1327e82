# Benchmark of vudstats.
