# Prompts, help pages and the journal.
