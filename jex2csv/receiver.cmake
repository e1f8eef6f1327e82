# Receiver library: device store, AES-128, transports, diagnostics.
