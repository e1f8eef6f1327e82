# Seeded receiver-log generator.
