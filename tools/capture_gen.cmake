# Seeded capture generator.
