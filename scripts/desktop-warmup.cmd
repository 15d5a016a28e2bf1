@exit 0
