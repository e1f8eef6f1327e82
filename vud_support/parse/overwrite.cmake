# Tests of the overwrite and rename dialogue.
