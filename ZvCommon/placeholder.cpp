// ZvCommon
