"""Making a medium folder or image from the publisher's files."""
