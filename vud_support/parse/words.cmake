# Word and number extraction (words), number texts (numtext).
