#!/usr/bin/env bash
# Trigger-to-cover latency of the real program under Wine (needs build/win64).
exec python3 "$(dirname "$0")/hide_latency.py"
