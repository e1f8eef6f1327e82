# Benchmark of jex2csv.
