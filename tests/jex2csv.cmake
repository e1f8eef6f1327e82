# End-to-end tests of jex2csv.
