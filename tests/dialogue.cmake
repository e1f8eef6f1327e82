# End-to-end tests of the terminal dialogue of vudstats.
