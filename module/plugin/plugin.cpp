// The plug-in file itself holds no code of its own: it is the module's static library, linked
// whole so that the entry points and the attach/detach hooks are all kept.
