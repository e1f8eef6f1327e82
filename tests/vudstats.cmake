# End-to-end tests of vudstats.
