# The real meeting server on 127.0.0.1: rooms, introductions, a relay, and
# a clean stop (the steps are in the Python script).
exec python3 "$SRC/tests/scenarios/meet_server.py" "$BUILD/parvane-meet"
